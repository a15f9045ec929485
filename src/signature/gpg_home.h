// The private gpg home every check runs in: a new folder (mode 0700) with a
// configuration that lets gpg start no agent and no network helper and
// fetch no key, holding either a copy of the user's keyring or nothing yet
// (a key file is imported into it). The user's own gpg home is only ever
// read, and only to copy it: gpg never opens it, so it can neither update
// its trust database nor make a ~/.gnupg that was not there. The folder
// goes, with everything gpg made in it, when the object goes. Any thread.
#pragma once

#include <string>

#include "system/temporary_folder.h"

namespace vandrel::signature {

class GpgHome {
 public:
  // `userHome`: the user's gpg home whose keyring is copied in; empty for
  // none.
  explicit GpgHome(const std::string& userHome);

  // Empty when the home is ready; else why not.
  const std::string& problem() const { return problem_; }
  const std::string& path() const { return folder_.path(); }

 private:
  sys::TemporaryFolder folder_;
  std::string problem_;
};

}  // namespace vandrel::signature
