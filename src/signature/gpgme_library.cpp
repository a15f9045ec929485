// Loading GPGME: dlopen, one dlsym per function, and GPGME's own check that
// the library is at least as new as the header the program was built with
// and lays out its signature records the same way.
#include "signature/gpgme_library.h"

#include <dlfcn.h>

#include <cstddef>

#include "system/broken_pipe.h"

namespace vandrel::signature {
namespace {

// Looks functions up in one library, keeping the first name it lacks.
struct Lookup {
  void* handle;
  const char* missing = nullptr;

  template <typename Function>
  void operator()(const char* name, Function& slot) {
    void* symbol = ::dlsym(handle, name);
    slot = reinterpret_cast<Function>(symbol);
    if (!symbol && !missing) missing = name;
  }
};

// Every function of `f` from `handle`; the first one missing, or nullptr.
const char* FindAll(void* handle, GpgmeFunctions& f) {
  Lookup find{handle};
  find("gpgme_check_version_internal", f.checkVersion);
  find("gpgme_engine_check_version", f.engineCheckVersion);
  find("gpgme_get_engine_info", f.getEngineInfo);
  find("gpgme_get_dirinfo", f.getDirinfo);
  find("gpgme_strerror_r", f.strerrorR);
  find("gpgme_new", f.newContext);
  find("gpgme_release", f.release);
  find("gpgme_set_protocol", f.setProtocol);
  find("gpgme_set_offline", f.setOffline);
  find("gpgme_ctx_set_engine_info", f.ctxSetEngineInfo);
  find("gpgme_data_new", f.dataNew);
  find("gpgme_data_new_from_mem", f.dataNewFromMem);
  find("gpgme_data_release", f.dataRelease);
  find("gpgme_data_release_and_get_mem", f.dataReleaseAndGetMem);
  find("gpgme_free", f.free);
  find("gpgme_op_import", f.opImport);
  find("gpgme_op_import_result", f.opImportResult);
  find("gpgme_op_verify", f.opVerify);
  find("gpgme_op_verify_result", f.opVerifyResult);
  find("gpgme_get_key", f.getKey);
  find("gpgme_key_unref", f.keyUnref);
  return find.missing;
}

}  // namespace

GpgmeLibrary::GpgmeLibrary(const char* fileName) {
  void* handle = ::dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = ::dlerror();
    problem_ = std::string("GPGME (") + fileName + ") is not installed or cannot be loaded" +
               (why ? std::string(" (") + why + ")" : std::string());
    return;
  }
  if (const char* missing = FindAll(handle, functions_)) {
    problem_ = std::string(fileName) + " is not a GPGME this program can use: it lacks " + missing;
    ::dlclose(handle);
    return;
  }
  // GPGME's first call sets SIGPIPE to "ignore" for the whole process when
  // it is at its default; the programs keep theirs, and each check holds the
  // signal off its own thread instead (BrokenPipeHold). The offset is the
  // layout check gpgme.h's gpgme_check_version macro passes.
  const char* version = nullptr;
  sys::KeepingBrokenPipeDisposition([&] {
    version = functions_.checkVersion(GPGME_VERSION, offsetof(struct _gpgme_signature, validity));
  });
  if (!version) {
    // Left loaded: the call may have set GPGME partly up.
    problem_ = std::string("the installed GPGME (") + fileName +
               ") is older than " GPGME_VERSION ", which this program needs";
    return;
  }
  loaded_ = true;
}

const GpgmeLibrary& Gpgme() {
  static const GpgmeLibrary library(kGpgmeLibraryName);
  return library;
}

}  // namespace vandrel::signature
