#include "pv/frame/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace veridane {

std::string ClockText(double seconds) {
  const long total = std::lround(std::max(0.0, seconds));
  const long h = total / 3600, m = (total / 60) % 60, s = total % 60;
  char text[32];
  if (h > 0)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", h, m, s);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", m, s);
  return text;
}

void ProgressTracker::Begin(std::string_view testName, const ProgressPlan& plan, double now) {
  name_ = testName;
  plan_ = plan;
  start_ = now;
  end_ = now;
  done_ = 0;
  running_ = true;
  begun_ = true;
}

int ProgressTracker::Total() const { return std::max(plan_.steps, done_); }

double ProgressTracker::SecondsLeft(double now) const {
  const int left = Total() - done_;
  if (left <= 0) return 0;
  // The measured pace once there is one: prompts answered by hand take longer than the plan.
  const double elapsed = now - start_;
  const double pace = done_ > 0 ? elapsed / done_ : plan_.secondsPerStep;
  return std::max(0.0, pace * left - (done_ > 0 ? 0.0 : elapsed));
}

std::string ProgressTracker::Text(double now) const {
  if (!begun_) return {};
  const int total = Total();
  if (!running_) {
    std::string text = name_ + ": " + std::to_string(done_);
    if (plan_.steps > 0) text += " of " + std::to_string(total);
    return text + " steps in " + ClockText(end_ - start_);
  }
  // The row being worked on; after the last planned one, the last (the test is finishing).
  const int step = plan_.steps > 0 ? std::min(done_ + 1, total) : done_ + 1;
  std::string text = name_ + ": step " + std::to_string(step);
  if (plan_.steps > 0) text += " of " + std::to_string(total);
  text += ", " + ClockText(now - start_) + " elapsed";
  if (plan_.steps > 0) text += ", about " + ClockText(SecondsLeft(now)) + " left";
  return text;
}

}  // namespace veridane
