// The pool both faces of a run share (job_engine.h): the held entries, the
// queue the threads take from, the digest of one entry and the delivery of
// finished ones in list order. Internal to the job engine.
//
// Design: the owner's thread queues entries and empties finished slots from
// the front; the pool's threads take queued slots and fill them. A slot's
// result belongs to the thread that took it until it sets `done` under the
// mutex, and to the owner from then on; its byte counts are atomics the
// owner reads while the thread reads. The owner's fields below the mutex's
// are touched by the owner alone.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "digest/read_buffer.h"
#include "job_engine/device_gate.h"
#include "job_engine/job_engine.h"
#include "system/cpus.h"

namespace vandrel::engine {

struct Slot {
  PlanEntry entry;
  std::size_t index = 0;
  bool done = false;  // the run's mutex
  DigestResult result;
  std::atomic<std::uint64_t> bytesDone{0};
  std::atomic<std::uint64_t> bytesTotal{0};
};

struct RunCore {
  // Starts the options' threads (0: DefaultThreadCount()), or none when
  // fewer than `fewestPool` would start: then the owner digests (a JobRun
  // of one thread). With `keepStarted`, started entries are kept in
  // startedSince for the owner to take.
  RunCore(DigestKind kind, RunOptions options, std::size_t fewestPool, bool keepStarted = false);
  ~RunCore();  // stops what runs and ends the threads

  // No entry starts once this is true.
  bool stopped() const;
  // An entry in flight is given up once this is true.
  bool abandonNow() const;

  // Runs on an engine thread, or on the owner's with `slot` null (its
  // progress then goes straight to the options' callback).
  DigestResult digest(const PlanEntry& entry, std::size_t index, std::uint8_t* buffer, Slot* slot);
  // An engine thread: takes entries until the run closes.
  void workLoop();

  // Owner: queues entry `index` for the pool.
  void queue(PlanEntry entry, std::size_t index);
  // Owner: the first held slot when it is done, taken out of the run.
  std::unique_ptr<Slot> takeFinishedFront();
  // Owner: judges a finished entry and counts it.
  Outcome judge(std::size_t index, DigestResult digest, const std::string& expectedHex);
  std::size_t heldCount();
  // Ends the threads once the queue is empty; the held slots stay.
  void close();

  DigestKind kind;
  RunOptions options;
  bool keepStarted = false;
  std::size_t threadCount = 1;
  DeviceGate gate;
  // Entries added whose digest has not ended, queued ones included, against
  // the CPUs there are: a file takes a reading thread of its own only while
  // some CPU has no file to digest and none waits for it (the last files of
  // a run). A thread between two files is not idle for long.
  std::atomic<int> unfinished{0};
  int cpus = sys::UsableCpuCount();
  std::atomic<bool> stopping{false};  // a run dropped before its end

  std::mutex mutex;
  std::condition_variable workQueued;      // engine threads wait on it
  std::condition_variable outcomeReady;    // the owner waits on it
  std::deque<std::unique_ptr<Slot>> held;  // added, not delivered; list order
  std::deque<Slot*> waiting;               // held and not yet taken
  bool closing = false;
  std::vector<std::size_t> startedSince;  // a polled run's news; the mutex
  std::vector<std::thread> pool;

  // The owner's alone.
  Tally tally;
};

}  // namespace vandrel::engine
