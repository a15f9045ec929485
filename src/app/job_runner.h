// The checksum job: Calculate starts a worker thread that walks the results
// list top to bottom, computes each file's digest and marks its row, while
// the window stays live; the user can cancel; at the end the main thread
// restores the window and shows a summary.
//
// Design: the main thread owns the window and runs StartJob, RequestCancel,
// QuitDuringJob and OnJobFinished. StartJob takes the rows and options into
// the job's state (job_state.h); JobWorker runs on its own detached thread,
// digests from there without reading the window, and hands the finished
// rows back through a RowHandOver (job_hand_over.h), at most once a frame.
// While a question about the job is open, the job is paused at its next
// safe point (between two reads, before a file) and the window's side waits.
#pragma once

#include <cstdint>
#include <string>

namespace vandrel {

void StartJob();
void RequestCancel();
// True when the user confirmed: the job is cancelled and the program ends.
bool QuitDuringJob();
// What a confirmed quit does to a running job, without the question: nothing
// more starts, files in flight are given up, and the worker gets a moment to
// notice before the program ends.
void EndJobForQuit();
void OnJobFinished();
// A click on algorithm option `option` (13 to 17).
void SelectAlgorithm(int option);

// The worker thread's procedure; `algorithm` is the Fingerprint at Calculate,
// for the log. Runs on the worker thread. Returns 0.
int JobWorker(int algorithm);

// The summary shown at the end of a job.
std::string JobSummaryText(bool cancelled, int processed, int rows, int failed);
// What a job over rows from a checksum list adds to the summary: the
// matched, different and missing counts, and the unused list lines if any.
std::string VerifySummaryText(int matched, int mismatched, int missing, int rejected);

}  // namespace vandrel
