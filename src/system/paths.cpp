// The command line, the program's own path, the home and temporary
// directories and environment lookups. Directory results carry a trailing
// "/" as the rest of the program expects; nothing here touches the disk
// except reading the /proc/self/exe link.
#include "system/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace vandrel::sys {
namespace {

struct CommandLine {
  std::mutex mutex;
  std::vector<std::string> words;
};

CommandLine& TheCommandLine() {
  static CommandLine commandLine;
  return commandLine;
}

std::string ReadExecutableLink() {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    // readlink truncates silently; a result that fills the buffer may be cut.
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      return buffer;
    }
    if (buffer.size() >= 65536) return {};
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

void SetCommandLine(int argc, char** argv) {
  CommandLine& commandLine = TheCommandLine();
  std::lock_guard lock(commandLine.mutex);
  commandLine.words.clear();
  for (int i = 0; argv && i < argc; ++i) {
    commandLine.words.emplace_back(argv[i] ? argv[i] : "");
  }
}

int CountProgramParameters() {
  CommandLine& commandLine = TheCommandLine();
  std::lock_guard lock(commandLine.mutex);
  return commandLine.words.empty() ? 0 : static_cast<int>(commandLine.words.size() - 1);
}

std::string ProgramParameter(int index) {
  CommandLine& commandLine = TheCommandLine();
  std::lock_guard lock(commandLine.mutex);
  if (index < 0 || static_cast<std::size_t>(index) + 1 >= commandLine.words.size()) return {};
  return commandLine.words[static_cast<std::size_t>(index) + 1];
}

std::string ProgramPath() {
  std::string path = ReadExecutableLink();
  if (!path.empty()) return path;
  CommandLine& commandLine = TheCommandLine();
  std::lock_guard lock(commandLine.mutex);
  return commandLine.words.empty() ? std::string() : commandLine.words.front();
}

std::string PathPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string HomeDirectory() {
  std::string home = EnvironmentVariable("HOME");
  if (home.size() > 1 && home.back() != '/') home += '/';
  return home;
}

std::string TemporaryDirectory() { return "/tmp/"; }

std::string EnvironmentVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? std::string(value) : std::string();
}

}  // namespace vandrel::sys
