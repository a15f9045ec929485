// The state of the checksum job that the window's commands share: the flags
// of the job's progress through its life and its counts. Main thread only:
// the engine's threads see none of it (the job's rows and their plan are
// the results model's, job_runner.cpp holds the run).
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "app/verify_list_read.h"
#include "core/algorithm.h"
#include "digest/digest_engine.h"

namespace vandrel {

struct JobState {
  explicit JobState(const std::optional<DigestKind>& computedKind) : ComputedKind(computedKind) {}
  JobState(const JobState&) = delete;
  JobState& operator=(const JobState&) = delete;

  // A cancel (or a quit) was asked for: the job's clock hands it to the
  // engine, which starts no further row.
  std::atomic<std::int32_t> CancelRequested{0};
  // Counts of the running or last job, from the engine's tally: rows
  // digested or failed, and those among them without the digest they
  // should have (failed, different, missing).
  std::atomic<std::int32_t> FilesProcessed{0};
  std::atomic<std::int32_t> FilesFailed{0};
  std::atomic<std::int32_t> JobRunning{0};    // from Calculate until its summary
  std::atomic<std::int32_t> JobCancelled{0};  // picks the summary's first line
  // Lines of the checksum list that started this job and were not used.
  std::atomic<std::int32_t> ListLinesRejected{0};
  // The lists that started this job had signatures: their outcomes head
  // the summary.
  std::atomic<std::int32_t> ListTrustInSummary{0};
  // The digest the last job computed, while rows it computed are left: the
  // results model's.
  const std::optional<DigestKind>& ComputedKind;

  // Reads of the files; nullptr is read(2). Tests stand in a stalling disk.
  DigestReadFunction Read = nullptr;
  // Digest threads; 0: as many as the CPUs the program may use.
  int Threads = 0;
  // Checks a verified list's signature; nullptr is the signature layer's.
  // Tests stand in a machine whose gpg cannot run.
  ListSignatureCheck CheckSignature = nullptr;
};

JobState& Job();

}  // namespace vandrel
