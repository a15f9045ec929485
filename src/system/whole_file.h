// Saving a text as the whole new content of a file, so that neither a
// failure nor a crash leaves a mix of old and new content without a whole
// copy of the old, and a link another user planted in a shared folder
// cannot send the text elsewhere. Any thread; main-thread callers only in
// this program.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::sys {

// What a failed save has to tell beyond its errno.
struct SaveDetails {
  // With EACCES: a symbolic link the save did not follow. It lies in a
  // sticky folder every user may write (such as /tmp) and belongs neither
  // to the user nor to the folder's owner, so another user could point it
  // at any of the user's files; the kernel's protected_symlinks rule.
  std::string refusedLink;
  // An overwrite in place that failed after it began: the file may be cut
  // short, and this complete copy of its old content was kept.
  std::string keptCopy;
};

// Writes `bytes` as the whole content of the file at `path` and returns 0,
// or the errno of the first failure (`details`, when given, says more). A
// symbolic link is followed (through a bounded chain, a dangling one
// included: relative targets count from the link's folder) and stays a link;
// its target gets the new content. Links in shared folders are followed only
// as SaveDetails::refusedLink says.
// A regular file, or a name where nothing exists yet, is written through a
// new hidden file in the same folder, locked while it is written, that is
// renamed over it only once every byte is written and synced, and the folder
// is synced after the rename: a failure leaves the old file exactly as it
// was and no stray file behind; a crash leaves the old file or the new one
// and at most one hidden file, which the next save into that folder removes.
// The new file has the old one's mode bits from before its first byte (a
// private file's text is never readable by others), and its owner, group
// and set-id bits where they can be given; a new name gets 0666 less the
// umask, as any created file does.
// Where that rename would lose something (a file with other hard links, an
// owner or set-id bits the new file cannot have, a folder that may not be
// written), the file is overwritten in place instead, once room for the
// whole text is reserved and a complete, synced copy of its old content is
// kept beside it ("<name>.vandrel-copy"; in $XDG_STATE_HOME/vandrel/ where the
// folder takes no new file). The copy goes once the new content is synced;
// a failure or a crash during the overwrite leaves it.
// Anything else that exists there (a device such as /dev/null or /dev/full,
// a named pipe) is written in place, since renaming over it would replace the
// node itself.
int SaveWholeFile(const std::string& path, std::string_view bytes, SaveDetails* details = nullptr);

}  // namespace vandrel::sys
