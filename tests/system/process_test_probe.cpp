// Test helper started by the process tests. Writes to the file named by
// VANDREL_PROBE_OUT, one item a line: the argument count, each argument
// (argv[0] first), the working directory, and "usr1-blocked" or
// "usr1-open" for its signal mask. Exits with VANDREL_PROBE_EXIT (or 0).
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  const char* out = std::getenv("VANDREL_PROBE_OUT");
  if (out) {
    std::FILE* file = std::fopen(out, "w");
    if (!file) return 2;
    std::fprintf(file, "%d\n", argc);
    for (int i = 0; i < argc; ++i) std::fprintf(file, "%s\n", argv[i]);
    std::string cwd(4096, '\0');
    std::fprintf(file, "%s\n", getcwd(cwd.data(), cwd.size()) ? cwd.c_str() : "?");
    sigset_t mask;
    sigprocmask(SIG_SETMASK, nullptr, &mask);
    std::fprintf(file, "%s\n", sigismember(&mask, SIGUSR1) ? "usr1-blocked" : "usr1-open");
    std::fclose(file);
  }
  const char* code = std::getenv("VANDREL_PROBE_EXIT");
  return code ? std::atoi(code) : 0;
}
