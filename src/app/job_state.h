// The state shared by the main thread and the checksum worker. Each word is
// written by one side only (see the comments) and read by the other, so
// atomics without a lock are enough; the completion event orders the
// worker's last counter writes before the main thread reads them.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "core/algorithm.h"
#include "system/threads.h"

namespace vandrel {

struct JobState {
  std::atomic<std::int32_t> CancelRequested{0};    // main thread
  std::atomic<std::int32_t> FilesProcessed{0};     // worker
  std::atomic<std::int32_t> FilesFailed{0};        // worker
  std::atomic<std::int32_t> JobRunning{0};         // main thread
  std::atomic<std::int32_t> JobCancelled{0};       // main thread
  std::atomic<sys::ThreadHandle> WorkerThread{0};  // main thread
  // Rows that carry an expected digest (from a checksum list), by outcome.
  std::atomic<std::int32_t> FilesMatched{0};     // worker
  std::atomic<std::int32_t> FilesMismatched{0};  // worker
  std::atomic<std::int32_t> FilesMissing{0};     // worker
  // Lines of the checksum list that started this job and were not used.
  std::atomic<std::int32_t> ListLinesRejected{0};  // main thread
  // The digest the last job computed, set when it starts; main thread only.
  std::optional<DigestKind> ComputedKind;
};

JobState& Job();

}  // namespace vandrel
