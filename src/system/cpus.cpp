// The affinity mask count; see cpus.h.
#include "system/cpus.h"

#include <sched.h>
#include <unistd.h>

namespace vandrel::sys {

int UsableCpuCount() {
  static const int count = [] {
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    if (::sched_getaffinity(0, sizeof cpus, &cpus) == 0 && CPU_COUNT(&cpus) > 0) {
      return CPU_COUNT(&cpus);
    }
    // More CPUs than a cpu_set_t holds: the online count is the best guess.
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<int>(online) : 1;
  }();
  return count;
}

}  // namespace vandrel::sys
