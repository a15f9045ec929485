// Whether a test runs under a user-mode emulator: a cross build (armhf)
// runs its tests through qemu-arm, which CTest names in the variable
// VANDREL_UNDER_EMULATOR. Without binfmt, qemu-user cannot start a child
// ARM program and reports itself, not the test, as /proc/self/exe.
#pragma once

#include <cstdlib>

namespace vandrel::testing {

inline bool UnderEmulator() { return std::getenv("VANDREL_UNDER_EMULATOR") != nullptr; }

}  // namespace vandrel::testing
