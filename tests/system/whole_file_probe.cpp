// Saves a text of N bytes "n" to PATH once; a getppid() call, which nothing
// else makes, marks in a trace where the save begins.
#include <unistd.h>

#include <string>

#include "system/whole_file.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  getppid();
  return vandrel::sys::SaveWholeFile(argv[1], std::string(std::stoul(argv[2]), 'n'));
}
