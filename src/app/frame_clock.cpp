// One frame timer for every poll; see frame_clock.h.
#include "app/frame_clock.h"

#include <utility>
#include <vector>

#include "toolkit/events.h"

namespace vandrel {
namespace {

struct Clock {
  int timer = 0;
  std::vector<std::function<bool()>> polls;
};

Clock& TheClock() {
  static Clock clock;
  return clock;
}

void Tick() {
  Clock& clock = TheClock();
  std::vector<std::function<bool()>> going;
  // A poll may start another one (into clock.polls): walk the ones of now.
  std::vector<std::function<bool()>> now = std::exchange(clock.polls, {});
  for (std::function<bool()>& poll : now) {
    if (poll()) going.push_back(std::move(poll));
  }
  for (std::function<bool()>& started : clock.polls) going.push_back(std::move(started));
  clock.polls = std::move(going);
  if (clock.polls.empty()) {
    tk::StopFrameTimer(clock.timer);
    clock.timer = 0;
  }
}

}  // namespace

void PollEachFrame(std::function<bool()> poll) {
  Clock& clock = TheClock();
  clock.polls.push_back(std::move(poll));
  if (!clock.timer) clock.timer = tk::StartFrameTimer(kFrameMilliseconds, Tick);
}

}  // namespace vandrel
