// The checksum job: Calculate has the digest threads compute every row's
// digest, in list order, while the window stays live; the user can cancel;
// at the end the main thread restores the window and shows a summary.
//
// Design: two threads, one hand-over. The main thread owns the window and
// the rows (results_model.h) and runs StartJob, RequestCancel,
// QuitDuringJob and OnJobFinished; the job engine's threads digest the
// files of the plan StartJob gives them. Once a frame the window's clock
// (frame_clock.h) polls the engine on the main thread and applies what came
// back to the rows, which the list redraws, and to the bar; the last poll
// posts the completion event. While a question about the job is open, the
// engine is paused at its safe points (before a file, between two reads)
// and the polls apply nothing.
#pragma once

#include <cstdint>
#include <string>

namespace vandrel {

void StartJob();
void RequestCancel();
// True when the user confirmed: the job is cancelled and the program ends.
bool QuitDuringJob();
// What a confirmed quit does to a running job, without the question: nothing
// more starts, and the engine's threads are joined once the files in flight
// are done or given up (within the cancel's grace).
void EndJobForQuit();
void OnJobFinished();
// A click on algorithm option `option` (13 to 17).
void SelectAlgorithm(int option);

// The summary shown at the end of a job.
std::string JobSummaryText(bool cancelled, int processed, int rows, int failed);
// What a job over rows from a checksum list adds to the summary: the
// matched, different and missing counts, and the unused list lines if any.
std::string VerifySummaryText(int matched, int mismatched, int missing, int rejected);

}  // namespace vandrel
