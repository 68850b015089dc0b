// The self calibration against the recording bus: what its argument asks and shows, the 300 s
// timeout around "*CAL?", the outcome texts and when they are shown inside a Full Sequence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test/support/pv_bench.h"
#include "pv/procedures/self_cal.h"

namespace veridane::testing {
namespace {

const std::string kCaption = "SPC";
const std::string kQuestion = "Do you wish to perform a Self Cal ?";
const std::string kPassed = "Self Calibration has been succesfully performed.";
const std::string kFailed = "Self Calibration Failed - Restart to try again.";
const std::string kNotPerformed = "Self Calibration NOT performed.";

class SelfCalTest : public PvBench {
 protected:
  void CalReply(const std::string& reply) { gpib.SetAnswer(kScopeAddress, "*CAL?", reply); }
  // The timeout codes set on the scope's handle, in order.
  std::vector<int> ScopeTimeouts() const {
    std::vector<int> codes;
    for (const GpibCall& call : gpib.CallsOf("ibtmo"))
      if (call.address == kScopeAddress) codes.push_back(call.args.at(0));
    return codes;
  }
};

TEST_F(SelfCalTest, MenuEntryInManualModeAsksClearsTheInputsAndReportsSuccess) {
  CalReply("0\n");
  state.AbortFlag = true;  // left over from an earlier stop; the menu entry starts afresh
  technician.Expect(kQuestion + "\nThis will take approximately 4 minutes.", 36, kCaption, kYes);
  technician.Expect("Remove all input signals.", 1, kCaption, kOk);
  technician.Expect(kPassed, 64, kCaption, kOk);

  SelfCalMenu(link, scanners, technician, state, testRun);

  EXPECT_EQ(WrittenTo(kScopeAddress), std::vector<std::string>{"*CAL?"});
  EXPECT_EQ(technician.InfoTexts(), (std::vector<std::string>{
                                        "Please Wait ...",
                                        "+Self Cal in progress - Will take approximately 4 minutes.",
                                        "",
                                    }));
  // Three hundred seconds for the calibration, then the handle's own timeout again.
  EXPECT_EQ(ScopeTimeouts(), (std::vector<int>{16, 12}));
  EXPECT_TRUE(state.SelfCalDone);
  EXPECT_EQ(state.SelfCalResult, kSelfCalPassed);
  EXPECT_FALSE(state.AbortFlag);
}

struct ArgumentCase {
  const char* name;
  const char* minutes;
  const char* question;  // empty: not asked
  int16_t removeStyle;
  const char* progress;
};

void PrintTo(const ArgumentCase& c, std::ostream* os) { *os << c.name; }

class SelfCalArgument : public SelfCalTest, public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(SelfCalArgument, DecidesQuestionAndDuration) {
  const ArgumentCase& c = GetParam();
  CalReply("0\n");
  if (*c.question) technician.Expect(c.question, 36, kCaption, kYes);
  technician.Expect("Remove all input signals.", c.removeStyle, kCaption, kOk);
  technician.Expect(kPassed, 64, kCaption, kOk);

  EXPECT_EQ(SelfCal(link, scanners, technician, state, testRun, StopToken(state.AbortFlag), c.minutes), kSelfCalPassed);

  ASSERT_EQ(technician.InfoTexts().size(), 3u);
  EXPECT_EQ(technician.InfoTexts()[1], c.progress);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SelfCalArgument,
    ::testing::Values(
        ArgumentCase{"Positive", "4", "Do you wish to perform a Self Cal ?\nThis will take approximately 4 minutes.", 1,
                     "+Self Cal in progress - Will take approximately 4 minutes."},
        ArgumentCase{"Negative", "-3", "", 0, "+Self Cal in progress - Will take approximately 3 minutes."},
        ArgumentCase{"Zero", "0", "Do you wish to perform a Self Cal ?", 1, "+Self Cal in progress."},
        ArgumentCase{"Empty", "", "", 0, "+Self Cal in progress."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SelfCalTest, DeclinedOrCancelledIsNotPerformedAndStops) {
  technician.Expect(kQuestion + "\nThis will take approximately 4 minutes.", 36, kCaption, kNo);
  technician.Expect(kNotPerformed, 64, kCaption, kOk);
  EXPECT_EQ(SelfCal(link, scanners, technician, state, testRun, StopToken(state.AbortFlag), "4"), kSelfCalNotPerformed);
  EXPECT_TRUE(state.AbortFlag);

  state.AbortFlag = false;
  technician.Expect(kQuestion, 36, kCaption, kYes);
  technician.Expect("Remove all input signals.", 1, kCaption, kCancel);
  technician.Expect(kNotPerformed, 64, kCaption, kOk);
  EXPECT_EQ(SelfCal(link, scanners, technician, state, testRun, StopToken(state.AbortFlag), "0"), kSelfCalNotPerformed);
  EXPECT_TRUE(state.AbortFlag);

  EXPECT_TRUE(WrittenTo(kScopeAddress).empty());
  EXPECT_FALSE(state.SelfCalDone);
}

TEST_F(SelfCalTest, AutoModeOpensTheScannerRelaysInsteadOfAsking) {
  AddScanners();
  state.AutoMode = Automation::Full;
  CalReply("0\n");
  technician.Expect(kQuestion + "\nThis will take approximately 4 minutes.", 36, kCaption, kYes);
  technician.Expect(kPassed, 64, kCaption, kOk);

  SelfCal(link, scanners, technician, state, testRun, StopToken(state.AbortFlag), "4");

  EXPECT_EQ(WrittenTo(kScanner1Address), std::vector<std::string>{"INIT"});
  EXPECT_EQ(WrittenTo(kScanner2Address), std::vector<std::string>{"INIT"});
}

struct ReportCase {
  const char* name;
  int16_t autoMode;
  const char* reply;
  const char* message;  // empty: no box
  bool sequenceGoesOn;
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }

class SelfCalInSequence : public SelfCalTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(SelfCalInSequence, ReportsAsTheSequenceNeeds) {
  const ReportCase& c = GetParam();
  AddScanners();
  state.AutoMode = static_cast<Automation>(c.autoMode);
  state.FullSeqRunning = true;
  CalReply(c.reply);
  technician.Expect(kQuestion, 36, kCaption, kYes);
  if (c.autoMode == 0) technician.Expect("Remove all input signals.", 1, kCaption, kOk);
  if (*c.message) technician.Expect(c.message, 64, kCaption, kOk);

  SelfCal(link, scanners, technician, state, testRun, StopToken(state.AbortFlag), "0");

  EXPECT_EQ(state.FullSeqRunning, c.sequenceGoesOn);
  // A failure fails the sequence and stays in the display, and so in the log.
  EXPECT_EQ(state.FullSeqFailed, !c.sequenceGoesOn);
  EXPECT_EQ(display.Text().find("SELF CALIBRATION FAILED - RESTART TO TRY AGAIN.") != std::string::npos,
            !c.sequenceGoesOn)
      << display.Text();
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, SelfCalInSequence,
    ::testing::Values(ReportCase{"AutoPassedSaysNothing", -1, "0\n", "", true},
                      ReportCase{"AutoFailedStopsTheSequence", -1, "1\n",
                                 "Self Calibration Failed - Restart to try again.\nFull Sequence disabled.", false},
                      // Any answer but 0 is a scope that did not calibrate.
                      ReportCase{"AutoOtherFailureStopsTheSequenceToo", -1, "2\n",
                                 "Self Calibration Failed - Restart to try again.\nFull Sequence disabled.", false},
                      ReportCase{"ManualPassedIsShown", 0, "0\n", "Self Calibration has been succesfully performed.", true},
                      ReportCase{"ManualOtherFailureStopsTheSequence", 0, "2\n",
                                 "Self Calibration Failed - Restart to try again.\nFull Sequence disabled.", false}),
    [](const auto& info) { return std::string(info.param.name); });

// A read that timed out leaves the reply buffer blank, which reads as 0: that is no success.
TEST_F(SelfCalTest, UnansweredCalibrationIsAFailureNotASuccess) {
  state.FullSeqRunning = true;
  gpib.TimeoutNext("ibrd");
  technician.Expect(kQuestion, 36, kCaption, kYes);
  technician.Expect("Remove all input signals.", 1, kCaption, kOk);
  technician.ExpectContaining("Select OK to continue or Cancel to terminate program.", 49, "GPIB ERROR # 6", kOk);
  technician.Expect(kFailed + "\nFull Sequence disabled.", 64, kCaption, kOk);

  EXPECT_EQ(SelfCal(link, scanners, technician, state, testRun, StopToken(state.AbortFlag), "0"), kSelfCalFailed);

  EXPECT_FALSE(state.SelfCalDone);
  EXPECT_FALSE(state.FullSeqRunning);
  EXPECT_EQ(ScopeTimeouts(), (std::vector<int>{16, 12}));
}

TEST_F(SelfCalTest, GarbledReplyIsNoSuccess) {
  CalReply("?\x7F");
  technician.Expect("Remove all input signals.", 0, kCaption, kOk);
  technician.Expect(kFailed, 64, kCaption, kOk);
  EXPECT_EQ(SelfCal(link, scanners, technician, state, testRun, StopToken(state.AbortFlag), "-4"), kSelfCalFailed);
}

}  // namespace
}  // namespace veridane::testing
