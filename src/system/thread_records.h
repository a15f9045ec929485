// The thread list: one record per thread CreateThread made, from its start
// until its procedure returns. Internal to the system layer: threads.cpp
// keeps the list, and code that needs more than the threads interface gives
// looks records up here under the list's mutex.
#pragma once

#include <pthread.h>

#include <map>
#include <memory>
#include <mutex>

#include "system/threads.h"

namespace vandrel::sys::detail {

struct ThreadRecord {
  ThreadProcedure procedure = nullptr;
  int argument = 0;
  ThreadHandle handle = 0;
  pthread_t thread{};
};

class ThreadList {
 public:
  std::mutex mutex;
  std::map<ThreadHandle, std::unique_ptr<ThreadRecord>> records;  // mutex
  ThreadHandle lastHandle = 0;                                    // mutex

  ThreadRecord* find(ThreadHandle handle) {
    auto it = records.find(handle);
    return it == records.end() ? nullptr : it->second.get();
  }
};

// Never destroyed: detached threads may still end, and remove their
// records, while static destructors run at program exit. Any thread.
ThreadList& Threads();

}  // namespace vandrel::sys::detail
