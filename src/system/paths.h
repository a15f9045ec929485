// The program's own path, the environment and the command line.
#pragma once

#include <string>

namespace vandrel::sys {

// Remembers the command line; called once at start-up.
void SetCommandLine(int argc, char** argv);
// Arguments after the program name.
int CountProgramParameters();
// Argument `index`, counted from 0 after the program name; empty outside the range.
std::string ProgramParameter(int index);

// The executable's full path from /proc/self/exe, else the first command-line word.
std::string ProgramPath();
// Everything up to and including the last "/"; empty when there is none.
std::string PathPart(const std::string& path);
// HOME with a "/" appended when it is longer than one character and lacks
// one; empty when HOME is unset.
std::string HomeDirectory();
std::string TemporaryDirectory();
// The variable's value, or empty when it is unset.
std::string EnvironmentVariable(const std::string& name);

}  // namespace vandrel::sys
