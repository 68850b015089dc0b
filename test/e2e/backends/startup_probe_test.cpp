// The start-up searches on slow devices, on the virtual clock: the listener search through the
// emulated adapter, and the identification probe in process and through the adapter. The
// adapter code and the emulator's session are the real ones; only the bytes between them skip
// the socket, so no wall time passes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gpib/backends/prologix_adapter.h"
#include "gpib/bus/gpib_bus.h"
#include "sim/bench/bench.h"
#include "sim/prologix_emulator/prologix_session.h"
#include "test/support/fake_operator.h"

namespace veridane::testing {
namespace {

constexpr int kSme = 28;  // the generator of the sme-generator bench

// The emulator's session behind a byte link: it carries out each line as it arrives, letting
// the shared virtual clock run for whatever the adapter waits, so its answers are there when
// the write returns and nothing ever comes later unasked.
class SessionLink : public ByteTransport {
 public:
  SessionLink(Gpib488& bus, VirtualClock& clock)
      : clock_(clock), session_(bus, clock, [this](std::string_view bytes) { pending_ += bytes; }) {}
  sim::PrologixSession& Session() { return session_; }

  bool Write(std::string_view bytes) override {
    session_.Feed(bytes);
    return true;
  }
  bool Read(std::string& into, double seconds) override {
    if (pending_.empty() && seconds > 0) clock_.Block(Seconds(seconds));
    into += pending_;
    pending_.clear();
    return true;
  }
  void Discard() override { pending_.clear(); }
  double Now() override { return clock_.Now(); }
  std::string LastError() const override { return {}; }
  std::string Describe() const override { return "the emulated adapter"; }

 private:
  VirtualClock& clock_;
  std::string pending_;
  sim::PrologixSession session_;
};

// A shipped bench on the virtual clock, reached in process or through the emulated adapter,
// with the program's bus layer on top.
struct SlowBench {
  explicit SlowBench(const char* name, bool throughAdapter) {
    bench = sim::Bench::Open(name, clock);
    if (throughAdapter) {
      auto transport = std::make_unique<SessionLink>(bench->Bus(), clock);
      link = transport.get();
      adapter = std::make_unique<PrologixAdapter>(std::move(transport));
      std::string error;
      EXPECT_TRUE(adapter->Start(error)) << error;
    }
    bus = std::make_unique<GpibBus>(adapter ? static_cast<Gpib488&>(*adapter) : bench->Bus(), op, clock);
  }
  // The found table after GpibInit, addresses only.
  std::vector<int16_t> Listeners() {
    bus->GpibInit(1);
    return bus->listeners.Addresses();
  }
  int AddressOf(int16_t handle) { return handle > 0 ? bus->ibask(handle, 1) : 0; }

  VirtualClock clock;
  std::unique_ptr<sim::Bench> bench;
  SessionLink* link = nullptr;
  std::unique_ptr<PrologixAdapter> adapter;
  gpibtest::FakeOperator op;
  std::unique_ptr<GpibBus> bus;
};

TEST(StartupListenerSearch, ADeviceThatAnswersItsPollLateIsListedAndLeavesNothingBehind) {
  SlowBench b("default", true);
  ASSERT_NE(b.bench, nullptr);
  // The AT 5010 takes 3 ms to poll, the SG 5030 after it answers at once, address 9 is empty.
  b.link->Session().SetPollDelay(5, 0.003);
  EXPECT_EQ(b.Listeners(), (std::vector<int16_t>{1, 5, 6, 7, 8, 11, 12}));
  EXPECT_TRUE(b.op.prompts.empty());

  // The searches that follow talk to the right devices: the late poll left no answer behind
  // that a later poll or read could take for its own.
  EXPECT_EQ(b.AddressOf(b.bus->FindDevice("ID?", "!AT5010")), 5);
  EXPECT_EQ(b.AddressOf(b.bus->FindDevice("ID?", "!SG5030")), 8);

  // One slower than the adapter waits is not there as far as the adapter can tell, and the
  // search still ends with the devices after it.
  b.link->Session().SetPollDelay(5, 0.5);
  EXPECT_EQ(b.Listeners(), (std::vector<int16_t>{1, 6, 7, 8, 11, 12}));
}

class StartupProbe : public ::testing::TestWithParam<bool> {};

TEST_P(StartupProbe, AGeneratorThatAnswersLateButWithinTheProbeIsFound) {
  SlowBench b("sme-generator", GetParam());
  ASSERT_NE(b.bench, nullptr);
  b.bench->SimulatedBus().SetSlow(kSme, 0.06);
  ASSERT_EQ(b.Listeners(), (std::vector<int16_t>{1, 5, 6, 7, 11, 12, kSme}));
  // The scope and the instruments before the generator are claimed as at start-up, so the
  // generator search probes the silent scanners first.
  for (const char* expected : {"!TDS 340", "!AT5010", "!?CG50", "!0.!"}) EXPECT_NE(b.bus->FindDevice("ID?", expected), 0);
  const int16_t generator = b.bus->FindDevice("*IDN?", "!SME");
  EXPECT_EQ(b.AddressOf(generator), kSme);
  // Claimed with the program's device timeout, it answers a query as any found instrument.
  EXPECT_NE(b.bus->GpibQuery(generator, "*IDN?").find("SME03"), std::string::npos);
  EXPECT_TRUE(b.op.prompts.empty());
}

TEST_P(StartupProbe, AnAnswerLaterThanTheProbeIsNotTakenForTheNextOne) {
  SlowBench b("sme-generator", GetParam());
  ASSERT_NE(b.bench, nullptr);
  b.bench->SimulatedBus().SetSlow(kSme, 0.4);
  b.Listeners();
  for (const char* expected : {"!TDS 340", "!AT5010", "!?CG50", "!0.!"}) EXPECT_NE(b.bus->FindDevice("ID?", expected), 0);
  EXPECT_EQ(b.bus->FindDevice("*IDN?", "!SME"), 0) << "far too slow for an identification";

  // Once it has come to, the next search finds it by what it answers to that search's query,
  // not by the answer it was still making to the last one.
  b.clock.Block(std::chrono::seconds(1));
  b.bench->SimulatedBus().SetSlow(kSme, 0);
  EXPECT_EQ(b.bus->FindDevice("ID?", "!SME"), 0) << "an SME says nothing to \"ID?\"";
  EXPECT_EQ(b.AddressOf(b.bus->FindDevice("*IDN?", "!SME")), kSme);
}

INSTANTIATE_TEST_SUITE_P(InProcessAndThroughTheAdapter, StartupProbe, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "ThroughTheAdapter" : "InProcess");
                         });

}  // namespace
}  // namespace veridane::testing
