#include "shell/paced_clock.h"

#include <algorithm>

namespace veridane {

PacedClock::PacedClock(EventLoop& real, double pace, Seconds maxRealWait)
    : real_(real), pace_(std::max(pace, 0.0)), maxRealWait_(std::max(maxRealWait.count(), 0.0)) {}

void PacedClock::Wait(Seconds time) {
  const double seconds = time.count();
  if (seconds <= 0) {
    real_.ProcessEvents();
    return;
  }
  const double realSeconds = std::min(seconds * pace_, maxRealWait_);
  if (realSeconds > 0)
    real_.Wait(Seconds(realSeconds));
  else
    real_.ProcessEvents();
  now_ += seconds;
}

void PacedClock::Block(Seconds time) {
  const double seconds = time.count();
  if (seconds > 0) now_ += seconds;
}

}  // namespace veridane
