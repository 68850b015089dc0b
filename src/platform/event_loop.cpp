#include "platform/event_loop.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace veridane {

RealEventLoop::RealEventLoop(std::function<void()> processEvents) : processEvents_(std::move(processEvents)) {}

double RealEventLoop::Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void RealEventLoop::ProcessEvents() {
  if (processEvents_) processEvents_();
}

void RealEventLoop::Wait(Seconds time) {
  const double seconds = time.count();
  if (seconds <= 0) return;
  double end = Now() + seconds;
  for (;;) {
    ProcessEvents();
    double left = end - Now();
    if (left <= 0) break;
    std::this_thread::sleep_for(std::chrono::duration<double>(left < 0.01 ? left : 0.01));
  }
}

void RealEventLoop::Block(Seconds time) {
  const double seconds = time.count();
  if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void VirtualClock::RunDue() {
  while (!scheduled_.empty() && scheduled_.begin()->first <= now_) {
    auto action = std::move(scheduled_.begin()->second);
    scheduled_.erase(scheduled_.begin());
    action();
  }
}

void VirtualClock::ProcessEvents() {
  ++processEventsCount_;
  RunDue();
}

void VirtualClock::Wait(Seconds time) {
  const double seconds = time.count();
  ++processEventsCount_;
  RunDue();
  if (seconds <= 0) return;
  double end = now_ + seconds;
  // Actions due inside the wait run at their own time, as they would in a real wait.
  while (!scheduled_.empty() && scheduled_.begin()->first <= end) {
    now_ = std::max(now_, scheduled_.begin()->first);
    RunDue();
  }
  now_ = end;
}

void VirtualClock::Block(Seconds time) {
  const double seconds = time.count();
  if (seconds > 0) now_ += seconds;
}

void VirtualClock::ScheduleAt(double time, std::function<void()> action) {
  scheduled_.emplace(time, std::move(action));
}

}  // namespace veridane
