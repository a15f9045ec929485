// What the help launcher knows about the help program it started. Shared by
// the launcher's main-thread commands and its watcher thread; see help.cpp
// for who writes what.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "system/process.h"

namespace vandrel {

struct HelpState {
  std::mutex mutex;
  std::atomic<std::int32_t> watching{0};
  sys::ProgramHandle process = 0;  // guarded by mutex
  // Whether `process` is the manual's opener rather than the help program;
  // guarded by mutex.
  bool opener = false;
  // Numbers each watch, so that a watcher still asleep from an earlier watch
  // ends instead of watching alongside a newer one.
  std::atomic<std::int32_t> watch{0};
};

HelpState& Help();

}  // namespace vandrel
