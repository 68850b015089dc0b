// A device busy with a long operation: a read whose timeout is shorter times out and leaves the
// answer for later; a long enough timeout waits for it on the virtual clock.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/event_loop.h"
#include "platform/gpib488.h"
#include "sim/bus/sim_bus.h"

namespace veridane {
namespace {

// Answers "0" once its `busy` seconds (from the message on) are over.
class CalibratingDevice : public sim::SimDevice {
 public:
  CalibratingDevice(EventLoop& clock, double busy) : clock_(clock), busy_(busy) {}
  void Receive(std::string_view) override { doneAt_ = clock_.Now() + busy_; }
  std::optional<std::string> Respond() override {
    if (clock_.Now() < doneAt_) clock_.Block(Seconds(doneAt_ - clock_.Now()));
    return std::string("0\n");
  }
  double SecondsUntilReady() const override { return doneAt_ > clock_.Now() ? doneAt_ - clock_.Now() : 0; }

 private:
  EventLoop& clock_;
  double busy_;
  double doneAt_ = 0;
};

TEST(BusyDevice, ShortTimeoutGivesUpAndALongOneWaits) {
  VirtualClock clock;
  sim::SimBus bus(clock);
  CalibratingDevice scope(clock, 150);
  bus.Attach(1, scope);
  const int ud = bus.ibdev(0, 1, 0, 12, 1, 0);  // 3 s

  bus.ibwrt(ud, "*CAL?");
  std::string buffer(2, ' ');
  bus.ibrd(ud, buffer);
  EXPECT_TRUE(bus.Status().ibsta & kTimo);
  EXPECT_EQ(buffer, "  ");
  EXPECT_DOUBLE_EQ(clock.Now(), 3);

  bus.ibtmo(ud, 16);  // 300 s
  bus.ibrd(ud, buffer);
  EXPECT_FALSE(bus.Status().ibsta & kErr);
  EXPECT_EQ(buffer, "0\n");
  EXPECT_DOUBLE_EQ(clock.Now(), 150);
}

}  // namespace
}  // namespace veridane
