// The window's one clock for the work that runs beside it (a checksum job,
// a Compare lookup): while any of it is going, a frame timer polls each on
// the main thread, which applies what came back. Nothing else crosses from
// those threads to the window. Main thread only.
#pragma once

#include <functional>

namespace vandrel {

// One frame: the window hears of work beside it at most this often.
inline constexpr int kFrameMilliseconds = 16;

// Calls `poll` once a frame, while the main thread waits for events, until
// it returns false.
void PollEachFrame(std::function<bool()> poll);

}  // namespace vandrel
