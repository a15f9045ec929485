// The checksum job: Calculate starts a worker thread that walks the results
// list top to bottom, computes each file's digest and marks its row, while
// the window stays live; the user can cancel; at the end the main thread
// restores the window and shows a summary.
//
// Design: the main thread owns the window and runs StartJob, RequestCancel,
// QuitDuringJob and OnJobFinished. JobWorker runs on its own detached thread
// and touches the window only through toolkit calls, which the toolkit hands
// to the main thread while that thread waits for events. The worker is
// paused (between or during digests, never inside a toolkit call) while a
// question about the job is open.
#pragma once

#include <cstdint>
#include <string>

namespace vandrel {

void StartJob();
void RequestCancel();
void QuitDuringJob();
void OnJobFinished();
// A click on algorithm option `option` (13 to 17).
void SelectAlgorithm(int option);

// The worker thread's procedure; `algorithm` is the Fingerprint at Calculate.
// Runs on the worker thread. Returns 0.
int JobWorker(int algorithm);

// The summary shown at the end of a job.
std::string JobSummaryText(bool cancelled, int processed, int rows, int failed);
// What a job over rows from a checksum list adds to the summary: the
// matched, different and missing counts, and the unused list lines if any.
std::string VerifySummaryText(int matched, int mismatched, int missing, int rejected);

}  // namespace vandrel
