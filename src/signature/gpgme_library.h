// GPGME, loaded when a signature is first checked instead of linked: its
// Debian package depends on gpg, which the program must not need when no
// signature is checked. Without it the check says GPGME is not installed;
// everything else runs as ever. Types and prototypes are gpgme.h's; only
// the functions below are looked up. Any thread: the process's library is
// made once (a function-local static) and only read afterwards.
#pragma once

#include <gpgme.h>

#include <string>

namespace vandrel::signature {

// The GPGME functions the signature check calls, by their GPGME names
// without the "gpgme_" prefix.
struct GpgmeFunctions {
  decltype(&::gpgme_check_version_internal) checkVersion;
  decltype(&::gpgme_engine_check_version) engineCheckVersion;
  decltype(&::gpgme_get_engine_info) getEngineInfo;
  decltype(&::gpgme_get_dirinfo) getDirinfo;
  decltype(&::gpgme_strerror_r) strerrorR;
  decltype(&::gpgme_new) newContext;
  decltype(&::gpgme_release) release;
  decltype(&::gpgme_set_protocol) setProtocol;
  decltype(&::gpgme_set_offline) setOffline;
  decltype(&::gpgme_ctx_set_engine_info) ctxSetEngineInfo;
  decltype(&::gpgme_data_new) dataNew;
  decltype(&::gpgme_data_new_from_mem) dataNewFromMem;
  decltype(&::gpgme_data_release) dataRelease;
  decltype(&::gpgme_data_release_and_get_mem) dataReleaseAndGetMem;
  decltype(&::gpgme_free) free;
  decltype(&::gpgme_op_import) opImport;
  decltype(&::gpgme_op_import_result) opImportResult;
  decltype(&::gpgme_op_verify) opVerify;
  decltype(&::gpgme_op_verify_result) opVerifyResult;
  decltype(&::gpgme_get_key) getKey;
  decltype(&::gpgme_key_unref) keyUnref;
};

// GPGME's shared library as the system installed it.
inline constexpr const char* kGpgmeLibraryName = "libgpgme.so.11";

class GpgmeLibrary {
 public:
  // Loads `fileName`, looks every function up and sets GPGME up. A library
  // that loaded stays loaded until the process ends: GPGME keeps
  // process-wide state from its set-up on.
  explicit GpgmeLibrary(const char* fileName);
  GpgmeLibrary(const GpgmeLibrary&) = delete;
  GpgmeLibrary& operator=(const GpgmeLibrary&) = delete;

  // The functions, or nullptr when the library cannot be used.
  const GpgmeFunctions* functions() const { return loaded_ ? &functions_ : nullptr; }
  // Why it cannot be used, as a sentence part; empty when it can.
  const std::string& problem() const { return problem_; }

 private:
  GpgmeFunctions functions_{};
  bool loaded_ = false;
  std::string problem_;
};

// The process's GPGME (kGpgmeLibraryName), loaded at the first call.
const GpgmeLibrary& Gpgme();

}  // namespace vandrel::signature
