// The scope's identity from its ID answer, and the traffic of its set-up, reset and
// operation-complete wait.
#include <gtest/gtest.h>

#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "scope/scope_identity.h"
#include "test/support/recording_gpib.h"
#include "test/support/scripted_operator.h"

namespace veridane::testing {
namespace {

constexpr int kScopeAddress = 1;

class ScopeTest : public ::testing::Test {
 protected:
  ScopeTest() {
    scope.ScopeDevice = bus.ibdev(0, kScopeAddress, 0, 12, 1, 0);
    gpib.ClearLog();
  }
  void TearDown() override { op.ExpectAllConsumed(); }

  std::vector<std::string> Written() const { return gpib.WrittenTo(kScopeAddress); }
  std::vector<int> TimeoutsSet() const {
    std::vector<int> codes;
    for (const GpibCall& call : gpib.CallsOf("ibtmo")) codes.push_back(call.args.at(0));
    return codes;
  }

  RecordingGpib gpib;
  ScriptedOperator op;
  VirtualClock clock;
  GpibBus bus{gpib, op, clock};
  ScopeIdentity scope;
  ScopeControl control{bus, op, scope};
};

TEST_F(ScopeTest, TDS340AIsModelFourWithItsOwnLogFolder) {
  gpib.SetAnswer(kScopeAddress, "ID?", "ID TEK/TDS 340A,CF:91.1CT,FV:v1.04,TDS3FT:v1.00\r\n");
  control.IdentifyScope();
  EXPECT_EQ(scope.ScopeModel, "TDS 340A");
  EXPECT_EQ(scope.ScopeModelCode, 4);
  EXPECT_EQ(scope.LogFolderName, "LOG340A");
  EXPECT_EQ(Written(), (std::vector<std::string>{"ID?"}));
}

TEST_F(ScopeTest, EverySupportedModelHasItsCode) {
  struct Case {
    const char* number;
    int16_t code;
  };
  for (const Case& c : {Case{"310", 1}, Case{"320", 2}, Case{"340", 4}, Case{"340A", 4}, Case{"350", 5},
                        Case{"360", 6}, Case{"380", 8}}) {
    EXPECT_EQ(ModelCodeFor(c.number), c.code) << c.number;
  }
  for (const char* unsupported : {"310A", "330", "370", "", "34", "340B"}) {
    EXPECT_EQ(ModelCodeFor(unsupported), 0) << unsupported;
  }
}

TEST_F(ScopeTest, UnsupportedVersionEndsTheProgram) {
  gpib.SetAnswer(kScopeAddress, "ID?", "ID TEK/TDS 310A,CF:91.1CT,FV:v1.04\r\n");
  op.Expect("TDS 310A is currently NOT supported.", 16, "TDS", kOk);
  EXPECT_THROW(control.IdentifyScope(), ProgramEnded);
  EXPECT_EQ(scope.ScopeModelCode, 0);
}

TEST_F(ScopeTest, AnswerWithoutCommaAfterTheModelIsUnsupported) {
  gpib.SetAnswer(kScopeAddress, "ID?", "ID TEK/TDS 340\r\n");
  op.Expect("TDS 340 is currently NOT supported.", 16, "TDS", kOk);
  EXPECT_THROW(control.IdentifyScope(), ProgramEnded);
}

TEST_F(ScopeTest, AnswerWithoutModelIsUnsupported) {
  gpib.SetAnswer(kScopeAddress, "ID?", "HELLO,WORLD\r\n");
  op.Expect("HELLO,WORLD is currently NOT supported.", 16, "TDS", kOk);
  EXPECT_THROW(control.IdentifyScope(), ProgramEnded);
}

TEST_F(ScopeTest, SilentScopeIsUnsupportedAfterTheReadError) {
  op.Expect("Read cycle failed\nOperation aborted.", 48, "I/O Error", kOk);
  op.Expect("This scope is currently NOT supported.", 16, "TDS", kOk);
  EXPECT_THROW(control.IdentifyScope(), ProgramEnded);
}

TEST_F(ScopeTest, FirmwareFollowsFV) {
  EXPECT_EQ(FirmwareFromId("ID TEK/TDS 340,CF:91.1CT,FV:v1.04,TDS3FT:v1.00"), "1.04,");
  EXPECT_EQ(FirmwareFromId("ID TEK/TDS 340,CF:91.1CT,FV:v1.04"), "1.04");
  EXPECT_EQ(FirmwareFromId("ID TEK/TDS 340,CF:91.1CT"), "");
  EXPECT_EQ(FirmwareFromId("FV:"), "");

  gpib.SetAnswer(kScopeAddress, "ID?", "ID TEK/TDS 340,CF:91.1CT,FV:v2.10e,X\r\n");
  control.ReadFirmware();
  EXPECT_EQ(scope.ScopeFirmware, "2.10e");
}

TEST_F(ScopeTest, ChannelNames) {
  EXPECT_EQ(ChannelName(1), "CH 1");
  EXPECT_EQ(ChannelName(2), "CH 2");
  EXPECT_EQ(ChannelName(3), "EXT");
  EXPECT_EQ(ChannelName(4), "EXT/10");
  EXPECT_EQ(ChannelName(0), "");
  EXPECT_EQ(ChannelName(5), "");
  EXPECT_EQ(ChannelName(-1), "");
}

TEST_F(ScopeTest, InitScopeSendsFactorySetUpAndKeepsTheTechnicianInformed) {
  scope.ScopeModel = "TDS 340";
  gpib.SetAnswer(kScopeAddress, "*OPC?", "1\n");
  double before = clock.Now();
  control.InitScope();
  EXPECT_EQ(Written(), (std::vector<std::string>{"FAC", "DESE 65", "*ESE 65", "*SRE 32", "*OPC?", "HEAD 0", "CH1:COUP GND"}));
  EXPECT_EQ(op.InfoTexts(), (std::vector<std::string>{"Initializing TDS 340.", "+Please Wait ...", ""}));
  // The long operation-complete wait is given 100 s, then the handle gets its own timeout back.
  EXPECT_EQ(TimeoutsSet(), (std::vector<int>{15, 12}));
  EXPECT_EQ(gpib.TimeoutOf(scope.ScopeDevice), 12);
  EXPECT_GE(clock.Now() - before, 2.0);
  EXPECT_TRUE(op.Prompts().empty());
}

TEST_F(ScopeTest, ScopeResetWaitsForTheResetThenClears) {
  gpib.SetAnswer(kScopeAddress, "*OPC?", "1\n");
  control.ScopeReset();
  EXPECT_EQ(Written(), (std::vector<std::string>{"*RST", "*OPC?", "*CLS", "CLEARM"}));
  EXPECT_EQ(TimeoutsSet(), (std::vector<int>{13, 12}));
  EXPECT_FALSE(op.Busy());
}

TEST_F(ScopeTest, WaitOPCTimeoutOffersToGoOn) {
  gpib.TimeoutNext("ibrd");
  op.Expect("I/O operation aborted - timeout.\nSelect OK to continue or Cancel to terminate program.", 49,
            "GPIB ERROR # 6", kOk);
  control.WaitOPC(DriverTimeout::TenSeconds);
  EXPECT_EQ(gpib.TimeoutOf(scope.ScopeDevice), 12);
  auto reads = gpib.CallsOf("ibrd");
  ASSERT_EQ(reads.size(), 1u);
  EXPECT_EQ(reads[0].args.at(0), 5);  // room for "1" and its line end

  gpib.TimeoutNext("ibrd");
  op.Expect("I/O operation aborted - timeout.\nSelect OK to continue or Cancel to terminate program.", 49,
            "GPIB ERROR # 6", kCancel);
  EXPECT_THROW(control.WaitOPC(DriverTimeout::TenSeconds), ProgramEnded);
}

}  // namespace
}  // namespace veridane::testing
