// The bus layer on the simulated bus: start-up, identification and queries with three
// devices, one of which never answers.
#include <gtest/gtest.h>

#include <algorithm>

#include "test/support/fake_operator.h"
#include "gpib/bus/gpib_bus.h"
#include "sim/bus/echo_device.h"
#include "sim/bus/sim_bus.h"

namespace veridane {
namespace {

using gpibtest::FakeOperator;

struct Round {
  Round() {
    simBus.SetTrace([this](const std::string& line) { trace.push_back(line); });
    simBus.Attach(1, scope);
    simBus.Attach(7, generator);
    simBus.Attach(12, mute);
    simBus.SetSilent(12);
  }
  bool Traced(const std::string& line) const { return std::find(trace.begin(), trace.end(), line) != trace.end(); }

  VirtualClock clock;
  sim::SimBus simBus{clock};
  sim::EchoDevice scope{"ID?", "ID TEK/TDS 340,CF:91.1CT FV:v1.00", "\r\n"};
  sim::EchoDevice generator{"ID?", "ID SONY/TEK,SG5030,V81.1"};
  sim::EchoDevice mute{"ID?", "never said"};
  FakeOperator op;
  GpibBus bus{simBus, op, clock};
  std::vector<std::string> trace;
};

TEST(SimRound, InitFindAndQueryWithASilentDevice) {
  Round r;
  r.bus.GpibInit(1);
  EXPECT_EQ(r.bus.listeners.Addresses(), (std::vector<int16_t>{1, 7, 12}));

  int16_t scopeHandle = r.bus.FindDevice("ID?", "!TDS 340");
  ASSERT_NE(scopeHandle, 0);
  EXPECT_EQ(r.scope.Clears(), 1);
  EXPECT_EQ(r.scope.Polls(), 1);

  // The optional search asks the two free devices; the silent one costs the probe's 100 ms.
  double before = r.clock.Now();
  EXPECT_EQ(r.bus.FindDevice("ID?", "!CG50"), 0);
  EXPECT_DOUBLE_EQ(r.clock.Now() - before, 0.1);
  EXPECT_TRUE(r.Traced("TIMEOUT 12"));
  EXPECT_EQ(r.mute.Clears(), 2) << "cleared before the query and again after its timeout";

  int16_t generatorHandle = r.bus.FindDevice("ID?", "!sg5030");
  ASSERT_NE(generatorHandle, 0);
  EXPECT_NE(generatorHandle, scopeHandle);
  EXPECT_EQ(r.bus.listeners.FreeCount(), 1u);

  EXPECT_EQ(r.bus.GpibQuery(scopeHandle, "ID?"), "ID TEK/TDS 340,CF:91.1CT FV:v1.00");
  EXPECT_EQ(r.bus.GpibQuery(generatorHandle, "FREQ 50E6"), "FREQ 50E6");
  r.bus.GpibWrite(scopeHandle, "CH1:SCA .002");
  EXPECT_EQ(r.scope.Received().back(), "CH1:SCA .002");
  EXPECT_TRUE(r.Traced("W 1 <- CH1:SCA .002"));
  EXPECT_TRUE(r.Traced("R 7 -> FREQ 50E6\\n"));
  EXPECT_TRUE(r.op.prompts.empty());

  // Only the silent device is left: the fatal search reports its empty answer and ends.
  EXPECT_THROW(r.bus.FindDevice("ID?", "TDS 3x0"), ProgramEnded);
  ASSERT_EQ(r.op.prompts.size(), 1u);
  EXPECT_EQ(r.op.prompts[0].text,
            "ID Query: ID?\n\nExpected Response: TDS 3x0\n\nReceived Response(s):\n\n\n"
            "Correct the problem and restart. Program will end.");
}

TEST(SimRound, GeneralHandleReadsTheSilentDeviceWithTheTenSecondTimeout) {
  Round r;
  r.bus.DeviceTimeout = DriverTimeout::ThreeSeconds;
  r.bus.GpibInit(1);
  int16_t handle = r.bus.FindDevice("", "");
  ASSERT_GT(handle, 0);
  EXPECT_EQ(r.bus.listeners.FreeCount(), 3u);
  EXPECT_EQ(r.scope.Polls(), 1);
  EXPECT_EQ(r.generator.Polls(), 1);
  EXPECT_EQ(r.mute.Polls(), 1);

  r.bus.ibpad(handle, 12);
  double before = r.clock.Now();
  EXPECT_EQ(r.bus.GpibQuery(handle, "ID?"), "");
  EXPECT_NEAR(r.clock.Now() - before, 0.1 + 10.0, 1e-6);
  ASSERT_EQ(r.op.prompts.size(), 1u);
  EXPECT_EQ(r.op.prompts[0].caption, "I/O Error");
  EXPECT_EQ(r.bus.ibask(handle, kIbaTmo), 12) << "timeout restored";
}

TEST(SimRound, VanishedScopeShowsAGpibErrorAndTheQueryGivesNothing) {
  Round r;
  r.simBus.SetVanishAfter(1, 1);
  r.bus.GpibInit(1);
  int16_t scopeHandle = r.bus.FindDevice("ID?", "!TDS 340");
  ASSERT_NE(scopeHandle, 0);
  EXPECT_EQ(r.bus.GpibQuery(scopeHandle, "*OPC?"), "");
  ASSERT_EQ(r.op.prompts.size(), 1u);
  EXPECT_EQ(r.op.prompts[0].caption, "GPIB ERROR # 2");
  EXPECT_TRUE(r.bus.GpibWriteFailed);
}

TEST(SimRound, EmptyBusEndsTheProgram) {
  VirtualClock clock;
  sim::SimBus simBus(clock);
  FakeOperator op;
  GpibBus bus(simBus, op, clock);
  EXPECT_THROW(bus.GpibInit(1), ProgramEnded);
  ASSERT_EQ(op.prompts.size(), 1u);
  EXPECT_EQ(op.prompts[0].caption, "Initialization Error 14");
}

}  // namespace
}  // namespace veridane
