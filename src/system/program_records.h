// The process runner's record of a program it keeps a handle for. Internal
// to the system layer: process.cpp keeps the records, and code that reads
// more of a record than the runner's interface gives looks one up here.
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>

#include "system/process.h"

namespace vandrel::sys::detail {

struct ProgramRecord {
  std::mutex mutex;
  pid_t pid = -1;
  int exitCode = -1;  // 1 when ended by a signal
  int flags = 0;
  bool ended = false;
};

// The record of `handle`, nullptr when the runner keeps no such handle.
// Any thread.
std::shared_ptr<ProgramRecord> FindProgramRecord(ProgramHandle handle);

}  // namespace vandrel::sys::detail
