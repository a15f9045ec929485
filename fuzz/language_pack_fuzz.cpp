// Fuzzes the language-pack reader: any bytes given as "Vandrel.lang" must be
// read or refused within the pack limits, and every entry handed on must be a
// top-level language file no larger than the entry cap. The bytes reach
// libarchive through a memory file, as the program reads a pack by path.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/key_value_file.h"
#include "settings/language_pack.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// A file descriptor of an anonymous memory file, closed on destruction.
class MemoryFile {
 public:
  MemoryFile() : fd_(::memfd_create("fuzz-pack", MFD_CLOEXEC)) { Check(fd_ >= 0); }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  std::string hold(const std::uint8_t* data, std::size_t size) {
    Check(::ftruncate(fd_, 0) == 0);
    Check(::pwrite(fd_, data, size, 0) == static_cast<ssize_t>(size));
    return "/proc/self/fd/" + std::to_string(fd_);
  }

 private:
  int fd_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile memory;
  const std::string path = memory.hold(data, size);

  std::string firstCode;
  vandrel::ForEachPackLanguage(path, [&](const std::string& code, std::string_view bytes) {
    Check(!code.empty() && code.find('/') == std::string::npos);
    Check(!bytes.empty() && bytes.size() <= vandrel::kMaxLanguageBytes);
    if (firstCode.empty()) firstCode = code;
    vandrel::KeyValueFile file;
    Check(file.openMemory(bytes));
  });

  std::string bytes;
  if (vandrel::ReadPackLanguage(path, firstCode.empty() ? "en_GB" : firstCode, bytes)) {
    Check(!bytes.empty() && bytes.size() <= vandrel::kMaxLanguageBytes);
  }
  return 0;
}
