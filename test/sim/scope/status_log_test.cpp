#include <gtest/gtest.h>

#include "test/support/scope_fixture.h"

namespace veridane::sim {
namespace {

using testing::ScopeBench;

// The enables the syntax check of the message tool writes, then its clear before each send.
void EnableCommandErrorRequests(ScopeBench& bench) {
  bench.Write("DESE 32");
  bench.Write("*ESE 32");
  bench.Write("*SRE 48");
  bench.Write("*CLS");
  for (int i = 0; i < 25 && bench.Scope().SerialPoll() != 0; ++i) {
  }
}

TEST(ScopeStatus, MisspeltCommandRequestsServiceWithTheEventSummary) {
  ScopeBench bench;
  EnableCommandErrorRequests(bench);
  EXPECT_FALSE(bench.Scope().RequestingService());

  bench.Write("CH1:SCLAE .1");  // letters swapped
  EXPECT_TRUE(bench.Scope().RequestingService());
  EXPECT_EQ(bench.Scope().SerialPoll(), 96);
  // The poll took the request back; the summary stays until *CLS.
  EXPECT_EQ(bench.Scope().SerialPoll(), 32);
  EXPECT_FALSE(bench.Scope().RequestingService());

  bench.Write("*CLS");
  bench.Write("ID?;MEASU:IMM:TYP FRQ");  // an answer waits, and the second command is wrong
  EXPECT_EQ(bench.Scope().SerialPoll(), 112);
  EXPECT_EQ(bench.Ask("*ESR?"), "32");
}

TEST(ScopeStatus, CorrectCommandsAndQueriesRaiseNoCommandError) {
  ScopeBench bench;
  EnableCommandErrorRequests(bench);
  bench.Write("CH1:SCA .1;POS 0;:ACQ:MODE AVE;NUMAV 16");
  EXPECT_FALSE(bench.Scope().RequestingService());
  EXPECT_EQ(bench.Scope().SerialPoll(), 0);
  bench.Write("ID?");
  EXPECT_EQ(bench.Scope().SerialPoll(), 0x50);  // message available requests service, no error
  bench.Scope().Respond();
  EXPECT_EQ(bench.Scope().SerialPoll(), 0);
}

TEST(ScopeStatus, ProgramEnablesKeepCommandErrorsQuiet) {
  ScopeBench bench;
  bench.Write("FAC");
  bench.Write("DESE 65");
  bench.Write("*ESE 65");
  bench.Write("*SRE 32");
  EXPECT_EQ(bench.Ask("*OPC?"), "1");
  bench.Write("HEAD 0;*CLS");
  bench.Write("NOSUCH:THING 1");
  EXPECT_EQ(bench.Scope().SerialPoll(), 0);
  EXPECT_EQ(bench.Ask("*ESR?"), "0");
  bench.Write("*OPC");
  EXPECT_EQ(bench.Scope().SerialPoll(), 96);  // operation complete is what they let through
}

TEST(ScopeStatus, ErrorsEndTheMessageAndAreReportedAsEvents) {
  ScopeBench bench;
  bench.Write("*CLS;HEAD 0");
  bench.Write("CH1:SCA .5;BOGUS 3;POS 2");
  EXPECT_DOUBLE_EQ(bench.Number("CH1:SCA?"), 0.5);
  EXPECT_DOUBLE_EQ(bench.Number("CH1:POS?"), 0);  // not reached
  EXPECT_EQ(bench.Ask("EVMSG?"), "113,\"Undefined header\"");
  bench.Write("ACQ:MODE");
  bench.Write("ACQ:MODE SOMETIMES");
  bench.Write("*IDN? 3");
  EXPECT_EQ(bench.Ask("ALLEV?"), "109,\"Missing parameter\",104,\"Data type error\",108,\"Parameter not allowed\"");
  EXPECT_EQ(bench.Ask("EVENT?"), "0");
  // A query-only header used as a command.
  bench.Write("MEASU:IMM:VAL 3");
  EXPECT_EQ(bench.Ask("EVENT?"), "110");
  EXPECT_EQ(bench.Ask("*ESR?"), "32");
}

TEST(ScopeStatus, UnreadReplyIsLostWhenTheNextMessageArrives) {
  ScopeBench bench;
  bench.Write("*CLS;HEAD 0");
  bench.Write("ID?");
  bench.Write("CH1:SCA?");
  EXPECT_EQ(bench.Ask("*ESR?"), "4");  // query error
  bench.Write("BUSY?");
  bench.Scope().DeviceClear();
  EXPECT_FALSE(bench.Scope().Respond().has_value());
}

TEST(ScopeStatus, CalibrationAnswersItsResultAfterItsTime) {
  VirtualClock clock;
  ScopeConfig config = HealthyScopeConfig("TDS 350");
  config.selfCalSeconds = 150;
  {
    ScopeBench bench(config, &clock);
    bench.Write("*CAL?");
    EXPECT_EQ(bench.Scope().Respond(), "0\n");
    EXPECT_DOUBLE_EQ(clock.Now(), 150);
    EXPECT_EQ(bench.Ask("BUSY?"), ":BUSY 0");
  }
  config.selfCalResult = 1;
  ScopeBench failing(config, &clock);
  failing.Write("HEAD 0;*CAL?;BUSY?");
  EXPECT_EQ(failing.Scope().Respond(), "1;1\n");  // busy while it calibrated
  EXPECT_DOUBLE_EQ(clock.Now(), 300);
  failing.Write("FAC");
  EXPECT_EQ(failing.Ask("*OPC?"), "1");
  EXPECT_DOUBLE_EQ(clock.Now(), 300 + config.factorySeconds);
}

TEST(ScopeErrorLogTest, ReadsAllEntriesThenTheEndMarker) {
  ScopeConfig config;
  config.errorLog = {"A", "B", "C", "D", "E", "F \"quoted\""};
  ScopeBench bench(config);
  bench.Write("HEAD 0");
  bench.Write("PASSWORD TANGELO");
  EXPECT_EQ(bench.Ask("ERRLOG?"), "\"A\",\"B\",\"C\",\"D\"");
  EXPECT_EQ(bench.Ask("ERRLOG:NEXT?"), "\"E\"");
  EXPECT_EQ(bench.Ask("ERRLOG:NEXT?"), "\"F 'quoted'\"");
  EXPECT_EQ(bench.Ask("ERRLOG:NEXT?"), "\"\"");
  EXPECT_EQ(bench.Ask("ERRLOG:NEXT?"), "\"\"");
  // Reading again starts over.
  EXPECT_EQ(bench.Ask("ERRLOG?").substr(0, 3), "\"A\"");

  ScopeConfig small;
  small.errorLog = {"only one"};
  ScopeBench one(small);
  one.Write("HEAD 0");
  EXPECT_EQ(one.Ask("ERRLOG?"), "\"only one\",\"\"");
  EXPECT_EQ(one.Ask("ERRLOG:NEXT?"), "\"\"");
  ScopeBench empty{ScopeConfig{}};
  empty.Write("HEAD 0");
  EXPECT_EQ(empty.Ask("ERRLOG?"), "\"\"");
}

TEST(ScopeErrorLogTest, ClearingNeedsThePassword) {
  ScopeConfig config;
  config.errorLog = {"Fault 1", "Fault 2"};
  ScopeBench bench(config);
  bench.Write("HEAD 0;*CLS");
  bench.Write("ERRLOG CLEAR");
  EXPECT_EQ(bench.Ask("*ESR?"), "16");  // refused
  EXPECT_EQ(bench.Ask("ERRLOG?"), "\"Fault 1\",\"Fault 2\",\"\"");

  bench.Write("PASSWORD WRONG");
  bench.Write("ERRLOG CLEAR");
  EXPECT_EQ(bench.Ask("ERRLOG?"), "\"Fault 1\",\"Fault 2\",\"\"");

  bench.Write("password tangelo");
  bench.Write("ERRLOG CLEAR");
  EXPECT_EQ(bench.Ask("ERRLOG?"), "\"\"");
}

}  // namespace
}  // namespace veridane::sim
