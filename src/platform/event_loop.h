#pragma once
// Time and the user interface's event processing. Long operations wait through this seam so
// that the Exit Test button stays live, and so that tests and simulated runs can use a virtual
// clock on which every wait passes at once.
#include <chrono>
#include <functional>
#include <map>

namespace veridane {

// A length of time as the waits take it: whole or fractional seconds, or any std::chrono
// duration (2s, 500ms), with no unit left to guess.
using Seconds = std::chrono::duration<double>;

class EventLoop {
 public:
  virtual ~EventLoop() = default;

  // Monotonic seconds since an arbitrary start (never jumps at midnight).
  virtual double Now() = 0;

  // Lets pending user-interface events run once.
  virtual void ProcessEvents() = 0;

  // Returns after the given time, processing events meanwhile; 0 or less returns at once.
  virtual void Wait(Seconds time) = 0;

  // Lets time pass without processing events: a driver call blocking until its timeout.
  virtual void Block(Seconds time) = 0;
};

// Real time on the steady clock. The event hook is where the GUI plugs in Qt's event
// processing; without it the loop simply sleeps.
class RealEventLoop : public EventLoop {
 public:
  explicit RealEventLoop(std::function<void()> processEvents = {});
  double Now() override;
  void ProcessEvents() override;
  void Wait(Seconds time) override;
  void Block(Seconds time) override;

 private:
  std::function<void()> processEvents_;
};

// Virtual time: waits advance the clock at once. Actions can be scheduled at a virtual time
// (e.g. pressing Exit Test 12 s into a test); they run from ProcessEvents and Wait once due,
// in time order, never from Block (a blocked driver call processes no events).
class VirtualClock : public EventLoop {
 public:
  double Now() override { return now_; }
  void ProcessEvents() override;
  void Wait(Seconds time) override;
  void Block(Seconds time) override;

  void ScheduleAt(double time, std::function<void()> action);
  void ScheduleAfter(double delay, std::function<void()> action) { ScheduleAt(now_ + delay, std::move(action)); }
  // How many times events were processed (directly or by a wait).
  int ProcessEventsCount() const { return processEventsCount_; }

 private:
  void RunDue();
  double now_ = 0;
  int processEventsCount_ = 0;
  std::multimap<double, std::function<void()>> scheduled_;
};

}  // namespace veridane
