#pragma once
// The clock of a simulated bench on screen: time is virtual, so the instruments' settling
// waits and the scope's long operations cost a fraction of their real duration, yet every
// wait still spends a little real time processing the window's events, so that the display
// updates, the info window can be read and Exit Test works as on a real bench.
#include "platform/event_loop.h"

namespace veridane {

class PacedClock : public EventLoop {
 public:
  // real: the window's own loop (its Wait processes events). A virtual wait of s seconds takes
  // s x pace real seconds, never more than maxRealWait.
  PacedClock(EventLoop& real, double pace, Seconds maxRealWait);

  double Now() override { return now_; }
  void ProcessEvents() override { real_.ProcessEvents(); }
  void Wait(Seconds time) override;
  // A blocked driver call processes no events, so it passes at once.
  void Block(Seconds time) override;

 private:
  EventLoop& real_;
  double pace_;
  double maxRealWait_;
  double now_ = 0;
};

}  // namespace veridane
