// The state of the checksum job, shared by the main thread, the job's worker
// and the engine threads it digests on. What the worker reads of the window
// is taken in StartJob, before the worker starts, and stays unchanged until
// the job ends (the list is disabled meanwhile). The main thread asks for a
// pause or a cancel through the atomics and the control; the engine takes
// them at its safe points. The counts are kept by the main thread as it
// applies the finished rows; the completion event comes after the last.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/failure_reason.h"
#include "core/algorithm.h"
#include "digest/digest_engine.h"
#include "job_engine/job_engine.h"
#include "system/threads.h"

namespace vandrel {

struct JobState {
  std::atomic<std::int32_t> CancelRequested{0};  // main thread
  // The job's pause and cancel. Made anew by StartJob; the main thread
  // pauses and cancels, the engine's threads look at their safe points.
  std::optional<engine::JobControl> Control;
  std::atomic<std::int32_t> FilesProcessed{0};     // main thread
  std::atomic<std::int32_t> FilesFailed{0};        // main thread
  std::atomic<std::int32_t> JobRunning{0};         // main thread
  std::atomic<std::int32_t> JobCancelled{0};       // main thread
  std::atomic<sys::ThreadHandle> WorkerThread{0};  // main thread
  // Rows that carry an expected digest (from a checksum list), by outcome.
  std::atomic<std::int32_t> FilesMatched{0};     // main thread
  std::atomic<std::int32_t> FilesMismatched{0};  // main thread
  std::atomic<std::int32_t> FilesMissing{0};     // main thread
  // Lines of the checksum list that started this job and were not used.
  std::atomic<std::int32_t> ListLinesRejected{0};  // main thread
  // The digest the last job computed, set when it starts; main thread only.
  std::optional<DigestKind> ComputedKind;

  // Taken in StartJob; the worker only reads them.
  std::vector<std::string> Paths;  // the rows' files, in list order
  // The digest each row should have; empty when no row came from a
  // checksum list, so a plain job costs nothing more.
  std::vector<std::string> Expected;
  DigestKind Digest;  // the algorithm and size every row is digested in
  // The words of a failed or different row's tooltip, in the language the
  // job began in; only the main thread reads the text table.
  FailureTexts FailureWords;
  // Reads of the files; nullptr is read(2). Tests stand in a stalling disk.
  DigestReadFunction Read = nullptr;
  // Digest threads; 0: as many as the CPUs the program may use.
  int Threads = 0;
};

JobState& Job();

}  // namespace vandrel
