// Verify checksum list: a list in any form the checksum-list reader knows
// (GNU, BSD tagged, SFV, the window's own export) becomes rows that carry
// the digest they should have, and the job checks them at once. Main thread
// only; the comparison itself happens in the job.
#pragma once

#include <string>
#include <vector>

#include "app/verify_list_read.h"
#include "signature/gpg_verify.h"

namespace vandrel {

// The menu command: asks for a list and verifies it.
void VerifyChecksumList();
// The same with the signer's public-key file and, if the user types one,
// the signer's fingerprint: only a signature by those keys is good.
void VerifyChecksumListWithKey();
// Verifies the lists at `listPaths` in one job: reads them off the main
// thread while the window stays drawn (disabled), appends their entries,
// switches the options to the algorithm of the first usable line and starts
// the job; a later list of another algorithm counts as unusable lines. When
// no list gives an entry, the first one's problem (no regular file, too
// large, unreadable, no usable line) is a notice and nothing is added. Each
// list's signature is checked with `keys` where the list is read, and its
// outcome is shown before the job starts (list_trust.h). `keysAsked`: the
// user chose the keys, and a list without a signature says so too.
void VerifyLists(const std::vector<std::string>& listPaths, const signature::KeySource& keys = {},
                 bool keysAsked = false);

}  // namespace vandrel
