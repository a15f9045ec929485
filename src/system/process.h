// Starting and watching other programs. Every function may be called from
// any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vandrel::sys {

using ProgramHandle = std::uint64_t;

inline constexpr int kRunDetached = 0;
inline constexpr int kRunKeepHandle = 4;

// Starts `name` with the arguments in `parameters` (split at blanks, tabs
// and line feeds; a double-quoted argument keeps its blanks and loses its
// quotes). A name without "/" is looked up along PATH. With kRunKeepHandle
// the result is a handle watched by a waiter thread; with kRunDetached the
// program is started through an intermediate child, leaves no zombie and the
// result is 1. 0 on failure.
ProgramHandle RunProgram(const std::string& name, const std::string& parameters,
                         const std::string& workingDirectory, int flags);
// The file RunProgram would start for `name`: the name itself when it holds
// a "/" and names an executable file; otherwise, unless it starts with "/"
// or "./", the first "dir/name" along PATH that is a non-empty executable
// file. Empty when there is none.
std::string FindProgram(const std::string& name);
// The parameter text split into arguments as RunProgram does it.
std::vector<std::string> SplitParameters(const std::string& parameters);

// Whether the runner still keeps the handle.
bool IsProgram(ProgramHandle program);
// True while the process exists.
bool ProgramRunning(ProgramHandle program);
// True once the program has ended with a status other than 0 or by a signal;
// false while it runs, after a clean end, when its status is unknown (another
// waiter reaped it) and for a handle the runner does not keep.
bool ProgramFailed(ProgramHandle program);
// Sends the kill signal (9).
void KillProgram(ProgramHandle program);
// Forgets the handle and its record.
void ReleaseProgram(ProgramHandle program);

}  // namespace vandrel::sys
