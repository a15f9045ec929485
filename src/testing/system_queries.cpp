// Read-backs of the system layer's records for tests.
#include "testing/system_queries.h"

#include <mutex>

#include "system/program_records.h"
#include "system/thread_records.h"

namespace vandrel::sys {

int ProgramExitCode(ProgramHandle program) {
  const auto record = detail::FindProgramRecord(program);
  if (!record) return 0;
  std::lock_guard lock(record->mutex);
  return record->exitCode;
}

bool IsThread(ThreadHandle thread) {
  detail::ThreadList& list = detail::Threads();
  std::lock_guard lock(list.mutex);
  return list.find(thread) != nullptr;
}

}  // namespace vandrel::sys
