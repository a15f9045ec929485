// How many CPUs this process may run on, for the callers that size their
// thread pools or decide whether a second thread could help at all.
#pragma once

namespace vandrel::sys {

// The CPUs in this process's affinity mask (sched_getaffinity), at least 1;
// asked once, then remembered. May be called from any thread.
int UsableCpuCount();

}  // namespace vandrel::sys
