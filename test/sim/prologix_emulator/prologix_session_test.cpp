// The emulated adapter, once byte by byte as a host would drive it, and once through the
// program's own adapter back end, on the simulated bus and the virtual clock.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gpib/backends/prologix_adapter.h"
#include "platform/event_loop.h"
#include "sim/bus/echo_device.h"
#include "sim/bus/sim_bus.h"
#include "sim/prologix_emulator/prologix_session.h"

namespace veridane::sim {
namespace {

constexpr char kEsc = 27;

struct EmulatedAdapter {
  EmulatedAdapter() {
    bus.Attach(5, device);
    bus.Attach(7, other);
  }
  // Sends the bytes and returns what the adapter said back.
  std::string Say(const std::string& bytes) {
    said.clear();
    session.Feed(bytes);
    return said;
  }

  VirtualClock clock;
  SimBus bus{clock};
  EchoDevice device{"*IDN?", "TEKTRONIX,TDS 340,0,CF:91.1CT"};
  EchoDevice other{"ID?", "OTHER"};
  std::string said;
  PrologixSession session{bus, clock, [this](std::string_view bytes) { said += bytes; }};
};

TEST(PrologixSession, CommandsAnswerAndSettingsReadBack) {
  EmulatedAdapter a;
  EXPECT_EQ(a.Say("++ver\n"), std::string(PrologixSession::kVersion) + "\r\n");
  EXPECT_EQ(a.Say("++addr 7 96\r\n++addr\n"), "7 96\r\n");
  EXPECT_EQ(a.Say("++addr 31\n++addr\n"), "7 96\r\n") << "an address out of range is ignored";
  EXPECT_EQ(a.Say("++read_tmo_ms 5000\n++read_tmo_ms 250\n++read_tmo_ms\n"), "250\r\n");
  EXPECT_EQ(a.Say("++eos 3\n++eos\n++eot_enable 1\n++eot_char 4\n++eot_char\n"), "3\r\n4\r\n");
  EXPECT_EQ(a.Say("++savecfg 0\n++nonsense 1 2\n"), "") << "unknown commands are ignored";
  // Asked without an argument, every setting answers, so a host never waits for nothing.
  EXPECT_EQ(a.Say("++savecfg\n++srq\n"), "0\r\n0\r\n");
}

TEST(PrologixSession, PlainReadReadsUntilTheTimeoutAndAnAr488SearchesTheBus) {
  EmulatedAdapter a;
  a.Say("++addr 5\n++eos 3\n++eot_enable 1\n++eot_char 4\n++read_tmo_ms 200\n*idn?\n");
  const double start = a.clock.Now();
  EXPECT_EQ(a.Say("++read\n"), "TEKTRONIX,TDS 340,0,CF:91.1CT\n\x04");
  EXPECT_GE(a.clock.Now() - start, 0.2) << "EOI does not end a plain read; the timeout does";

  std::string said;
  PrologixSession ar488(a.bus, a.clock, [&](std::string_view bytes) { said += bytes; },
                        PrologixSession::kAr488Version, true);
  ar488.Feed("++ver\n++findlstn\n");
  EXPECT_EQ(said, std::string(PrologixSession::kAr488Version) + "\r\n5 7\r\n");
  EXPECT_EQ(a.Say("++findlstn\n"), "") << "a Prologix does not know the command";
}

TEST(PrologixSession, EscapedDataReachesTheDeviceAsSentAndEndsWithEos) {
  EmulatedAdapter a;
  a.Say("++addr 5\n++eos 3\n");
  a.Say(std::string("A") + kEsc + "\r" + kEsc + "\n" + kEsc + "+" + kEsc + kEsc + "B\n");
  ASSERT_EQ(a.device.Received().size(), 1u);
  EXPECT_EQ(a.device.Received()[0], std::string("A\r\n+") + kEsc + "B");
  // A data line that starts with an escaped "+" is data, not a command.
  a.Say(std::string(1, kEsc) + "+" + kEsc + "+ver\n");
  ASSERT_EQ(a.device.Received().size(), 2u);
  EXPECT_EQ(a.device.Received()[1], "++ver");
  a.Say("++eos 2\nX\n");
  EXPECT_EQ(a.device.Received().back(), "X\n");
}

TEST(PrologixSession, ReadEoiEndsWithTheEndCharacterOnlyWhenEnabled) {
  EmulatedAdapter a;
  a.Say("++addr 5\n++eos 3\n*idn?\n");
  EXPECT_EQ(a.Say("++read eoi\n"), "TEKTRONIX,TDS 340,0,CF:91.1CT\n");
  a.Say("++eot_enable 1\n++eot_char 4\n*idn?\n");
  EXPECT_EQ(a.Say("++read eoi\n"), "TEKTRONIX,TDS 340,0,CF:91.1CT\n\x04");
  // A stop character ends the read inside the message; the rest stays with the device.
  a.Say(std::string("ab") + kEsc + "\ncd\n");
  EXPECT_EQ(a.Say("++read 10\n"), "ab\n");
  EXPECT_EQ(a.Say("++read eoi\n"), "cd\n\x04");
}

TEST(PrologixSession, ReadsGiveUpAfterTheReadTimeoutWithoutTheEndCharacter) {
  EmulatedAdapter a;
  a.Say("++addr 5\n++eos 3\n++eot_enable 1\n++eot_char 4\n++read_tmo_ms 400\n");
  a.bus.SetSilent(5);
  a.Say("*idn?\n");
  double start = a.clock.Now();
  EXPECT_EQ(a.Say("++read eoi\n"), "");
  EXPECT_GE(a.clock.Now() - start, 0.4);
  EXPECT_LT(a.clock.Now() - start, 0.45);

  // A slow answer: the first read gives up, a later one gets the whole message.
  a.bus.SetSilent(5, false);
  a.bus.SetSlow(5, 0.7);
  a.Say("*idn?\n");
  EXPECT_EQ(a.Say("++read eoi\n"), "");
  EXPECT_EQ(a.Say("++read eoi\n"), "TEKTRONIX,TDS 340,0,CF:91.1CT\n\x04");
}

TEST(PrologixSession, SerialPollClearLocalAndIfcReachTheBus) {
  EmulatedAdapter a;
  a.device.SetStatusByte(0x41);
  a.Say("++read_tmo_ms 100\n");
  EXPECT_EQ(a.Say("++spoll 5\n"), "65\r\n");
  double start = a.clock.Now();
  EXPECT_EQ(a.Say("++spoll 9\n"), "") << "nobody at 9: no line at all";
  EXPECT_GE(a.clock.Now() - start, 0.1);
  a.Say("++addr 7\n++clr\n++loc\n++ifc\n");
  EXPECT_EQ(a.other.Clears(), 1);
  EXPECT_EQ(a.other.Locals(), 1);
  EXPECT_EQ(a.device.Clears(), 0);
}

// The program's adapter back end over a link that hands every byte to the emulated adapter.
class LoopbackTransport : public ByteTransport {
 public:
  LoopbackTransport(Gpib488& bus, VirtualClock& clock)
      : clock_(clock), session_(bus, clock, [this](std::string_view bytes) { inbox_ += bytes; }) {}
  bool Write(std::string_view bytes) override {
    session_.Feed(bytes);
    return true;
  }
  bool Read(std::string& into, double seconds) override {
    if (inbox_.empty()) clock_.Block(Seconds(seconds));
    into += inbox_;
    inbox_.clear();
    return true;
  }
  void Discard() override { inbox_.clear(); }
  double Now() override { return clock_.Now(); }
  std::string LastError() const override { return {}; }
  std::string Describe() const override { return "loopback"; }

 private:
  VirtualClock& clock_;
  PrologixSession session_;
  std::string inbox_;
};

TEST(PrologixSession, TheProgramsAdapterBackEndWorksThroughIt) {
  VirtualClock clock;
  SimBus bus(clock);
  EchoDevice scope("*IDN?", "TEKTRONIX,TDS 340,0,CF:91.1CT");
  bus.Attach(1, scope);
  PrologixAdapter adapter(std::make_unique<LoopbackTransport>(bus, clock));
  std::string error;
  ASSERT_TRUE(adapter.Start(error)) << error;
  EXPECT_EQ(adapter.Version(), PrologixSession::kVersion);

  std::vector<int16_t> results(4, -1);
  adapter.FindLstn(0, {1, 2, 3, kNoAddr}, results, 4);
  EXPECT_EQ(results[0], 1);
  EXPECT_EQ(results[1], 0);

  const int ud = adapter.ibdev(0, 1, 0, 11, 1, 0);
  ASSERT_GT(ud, 0);
  adapter.ibwrt(ud, "*IDN?");
  EXPECT_FALSE(adapter.Status().ibsta & kErr);
  // A short buffer takes what fits without END; the next read ends the message.
  std::string part(10, '\0');
  adapter.ibrd(ud, part);
  EXPECT_EQ(part, "TEKTRONIX,");
  EXPECT_FALSE(adapter.Status().ibsta & kEnd);
  std::string rest(100, '\0');
  adapter.ibrd(ud, rest);
  EXPECT_EQ(adapter.Status().ibsta & (kEnd | kErr), kEnd);
  EXPECT_EQ(rest.substr(0, static_cast<size_t>(adapter.Status().ibcntl)), "TDS 340,0,CF:91.1CT\n");

  // Data with every byte the link must escape arrives unchanged, and is echoed back so.
  const std::string awkward = std::string("+a\r\nb") + kEsc + "c\x04";
  adapter.ibwrt(ud, awkward);
  std::string echo(100, '\0');
  adapter.ibrd(ud, echo);
  EXPECT_EQ(scope.Received().back(), awkward);

  // A silent device: the read ends with TIMO after the handle's whole timeout (3 s), although
  // the adapter's own timeout is shorter.
  bus.SetSilent(1);
  adapter.ibtmo(ud, 12);
  adapter.ibwrt(ud, "*IDN?");
  const double start = clock.Now();
  std::string none(10, '\0');
  adapter.ibrd(ud, none);
  EXPECT_EQ(adapter.Status().ibsta & (kErr | kTimo), kErr | kTimo);
  EXPECT_GE(clock.Now() - start, 3.0);
  EXPECT_LT(clock.Now() - start, 4.5);

  // A slow device that answers within the handle's timeout but after the adapter's own read
  // timeout gave up: the host asks again and gets the whole answer with END.
  bus.SetSilent(1, false);
  bus.SetSlow(1, 2.0);
  adapter.ibwrt(ud, "*IDN?");
  std::string slow(100, '\0');
  adapter.ibrd(ud, slow);
  EXPECT_EQ(adapter.Status().ibsta & (kEnd | kErr), kEnd);
  EXPECT_EQ(slow.substr(0, static_cast<size_t>(adapter.Status().ibcntl)), "TEKTRONIX,TDS 340,0,CF:91.1CT\n");

  // A device that vanishes after its next message is no longer found.
  bus.ClearFaults(1);
  bus.SetVanishAfter(1, 0);
  adapter.ibwrt(ud, "*CLS");
  adapter.FindLstn(0, {1, 2, 3, kNoAddr}, results, 4);
  EXPECT_EQ(results[0], 0);
}

}  // namespace
}  // namespace veridane::sim
