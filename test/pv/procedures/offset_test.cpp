// The Offset at Zero test against the recording bus: command traffic, rows, verdicts, prompts
// and the ways it ends.
#include <gtest/gtest.h>

#include "pv/catalogue.h"

#include <algorithm>
#include <string>
#include <vector>

#include "test/support/pv_bench.h"
#include "pv/procedures/offset_at_zero.h"

namespace veridane::testing {
namespace {

const std::string kHeader = "CHANNEL       VERTICAL SCALE          LIMITS           MEASURED        PASS/FAIL";
const std::string kCaption = "Offset at Zero";
const std::string kEndCaption = "Offset at Zero / End of Test";
const std::vector<std::string> kSetup = {"DIS:GRA FRA", "MEASU:MEAS1:TYP MEAN;STATE ON", "MEASU:METH MINM",
                                         "ACQ:MOD AVE", "*OPC?"};

std::vector<std::string> ChannelSteps(const std::string& ch) {
  std::vector<std::string> traffic;
  for (const char* scale : {" .002", " .01", " .1", " 1", " 10"}) {
    traffic.push_back(ch + ":SCA" + scale);
    traffic.push_back("MEASU:MEAS1:VAL?");
  }
  return traffic;
}

const std::vector<std::string> kTenZeros(10, "0.0E0");

class OffsetZeroTest : public PvBench {};

TEST_F(OffsetZeroTest, ManualRunSendsTheStepsAndShowsEveryRow) {
  technician.Expect("Disconnect all input signals.", 65, kCaption, kOk);
  technician.Expect("Test Failed.              ", 64, kEndCaption, kOk);
  Readings({"500.0E-6", "-1.2E-3", "35.0E-3", "9.9E37", "0.5", "0", "0", "0", "0", "0"});

  OffsetZero(link, testRun);

  EXPECT_EQ(WrittenTo(kScopeAddress),
            Join({kScopeReset, kSetup, ChannelSteps("CH1"), {"SEL:CH1 OFF", "SEL:CH2 ON", "MEASU:MEAS1:SOU CH2;STATE ON"},
                  ChannelSteps("CH2"), kScopeReset}));
  // The set-up's operation-complete wait runs with the 10 s timeout.
  const auto& calls = gpib.Calls();
  auto setupEnd = std::find_if(calls.begin(), calls.end(), [](const GpibCall& c) { return c.data == "ACQ:MOD AVE"; });
  auto tmo = std::find_if(setupEnd, calls.end(), [](const GpibCall& c) { return c.function == "ibtmo"; });
  ASSERT_NE(tmo, calls.end());
  EXPECT_EQ(tmo->args.at(0), 13);
  // Four seconds between a scale and its reading.
  EXPECT_EQ(TimeOf(kScopeAddress, "MEASU:MEAS1:VAL?", 0) - TimeOf(kScopeAddress, "CH1:SCA .002"), 4.0);
  EXPECT_EQ(TimeOf(kScopeAddress, "MEASU:MEAS1:VAL?", 9) - TimeOf(kScopeAddress, "CH2:SCA 10"), 4.0);

  std::vector<std::string> lines = DisplayLines();
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[0], "Offset at Zero - Test ACQ / 1 of 3");
  EXPECT_EQ(lines[1], kHeader);
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], " CH 1             2 mV/div           \xB1" "3.20 mV           500 \xB5V            PASS");
  EXPECT_EQ(lines[4], " CH 1            10 mV/div           \xB1" "4.00 mV         -1.20 mV            PASS");
  EXPECT_EQ(lines[5], " CH 1           100 mV/div           \xB1" "40.0 mV          35.0 mV           >PASS");
  // 9.9E37 is the scope's "cannot measure": no reading, a certain FAIL, the row as wide as ever.
  EXPECT_EQ(lines[6], " CH 1             1  V/div            \xB1" "400 mV       no reading            FAIL");
  EXPECT_EQ(lines[7], " CH 1            10  V/div           \xB1" "1.30  V           500 mV            PASS");
  EXPECT_EQ(lines[8], "");
  EXPECT_EQ(lines[9], " CH 2             2 mV/div           \xB1" "3.20 mV          0.00  V            PASS");
  EXPECT_EQ(lines[13], " CH 2            10  V/div           \xB1" "1.30  V          0.00  V            PASS");
  for (size_t i = 3; i < lines.size(); ++i) {
    if (!lines[i].empty()) {
      EXPECT_EQ(lines[i].size(), 78u) << lines[i];
    }
  }

  EXPECT_EQ(state.TestStatus[kTestOffsetZero], TestOutcome::Failed);
  EXPECT_FALSE(state.AbortFlag);
}

TEST_F(OffsetZeroTest, ImpossibleOrGarbledReadings) {
  state.AutoMode = Automation::Full;
  technician.Expect("Test Failed.              ", 64, kEndCaption, kOk);
  // Beyond reach in either direction or no number at all: none may reach the table as such.
  Readings({"9.9E37", "garbled", "-9.9E37", "99E36", "3.0E-3", "0", "0", "0", "0", "0"});

  OffsetZero(link, testRun);

  std::vector<std::string> lines = DisplayLines();
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[3].substr(37), "\xB1" "3.20 mV       no reading            FAIL");
  EXPECT_EQ(lines[4].substr(37), "\xB1" "4.00 mV       no reading            FAIL");  // not a number: no reading
  EXPECT_EQ(lines[5].substr(37), "\xB1" "40.0 mV       no reading            FAIL");
  EXPECT_EQ(lines[6].substr(37), " \xB1" "400 mV       no reading            FAIL");
  EXPECT_EQ(lines[7].substr(37), "\xB1" "1.30  V          3.00 mV            PASS");
}

TEST_F(OffsetZeroTest, AReadingWhoseQueryFailedOnTheBusIsNoMeasurement) {
  // A scope that drops off the bus answers nothing; an empty answer used to read as 0 V: PASS.
  state.AutoMode = Automation::Full;
  gpib.onWrite["CH1:SCA 1"] = [this] { gpib.TimeoutNext("ibrd"); };
  gpib.onWrite["CH1:SCA 10"] = [this] { gpib.FailNext("ibwrt", 2); };
  technician.Expect("Read cycle failed\nOperation aborted.", 48, "I/O Error", kOk);
  technician.ExpectContaining("", 49, "GPIB ERROR # 2", kOk);
  technician.Expect("Test Failed.              ", 64, kEndCaption, kOk);
  Readings(kTenZeros);

  OffsetZero(link, testRun);

  std::vector<std::string> lines = DisplayLines();
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[5].substr(37), "\xB1" "40.0 mV          0.00  V            PASS");
  EXPECT_EQ(lines[6].substr(37), " \xB1" "400 mV       no reading            FAIL");  // the read failed
  EXPECT_EQ(lines[7].substr(37), "\xB1" "1.30  V       no reading            FAIL");  // the query's write failed
  EXPECT_EQ(state.TestStatus[kTestOffsetZero], TestOutcome::Failed);
}

TEST_F(OffsetZeroTest, NoOpeningPromptInAutoModeOrAfterASelfCalOfThisSequence) {
  state.AutoMode = Automation::WithoutCompensation;
  technician.Expect("Test Passed.              ", 64, kEndCaption, kOk);
  Readings(kTenZeros);
  OffsetZero(link, testRun);
  EXPECT_EQ(state.TestStatus[kTestOffsetZero], TestOutcome::Passed);

  // Within a Full Sequence the end message is left to the sequence.
  state.AutoMode = Automation::Manual;
  state.FullSeqRunning = true;
  state.SelfCalDone = true;
  Readings(kTenZeros);
  OffsetZero(link, testRun);
  EXPECT_EQ(DisplayLines().size(), 29u);

  // A sequence without a successful self calibration still asks.
  state.SelfCalDone = false;
  technician.Expect("Disconnect all input signals.", 65, kCaption, kOk);
  Readings(kTenZeros);
  OffsetZero(link, testRun);
  EXPECT_EQ(technician.Prompts().size(), 2u);
}

TEST_F(OffsetZeroTest, CancelAtTheOpeningPromptMeasuresNothing) {
  technician.Expect("Disconnect all input signals.", 65, kCaption, kCancel);

  OffsetZero(link, testRun);

  EXPECT_EQ(WrittenTo(kScopeAddress), Join({kScopeReset, kSetup, kScopeReset}));
  EXPECT_TRUE(display.Text().empty());
  EXPECT_EQ(state.TestStatus[kTestOffsetZero], TestOutcome::NotRun);
  EXPECT_FALSE(state.AbortFlag);
  EXPECT_EQ(view.Caption(), "Veridane");
}

TEST_F(OffsetZeroTest, ExitTestDuringChannelTwoKeepsTheRowsShown) {
  state.AutoMode = Automation::Full;
  technician.Expect("Test Sequence Terminated by Operator.", 64, kEndCaption, kOk);
  state.TestStatus[kTestOffsetZero] = TestOutcome::Passed;  // from an earlier run; the stopped run withdraws it
  Readings({"0", "0", "0", "1.0", "0", "0", "0"});  // channel 1 has a FAIL
  ExitTestAfter("SEL:CH2 ON", 2);                    // inside the first wait of channel 2

  OffsetZero(link, testRun);

  std::vector<std::string> traffic = WrittenTo(kScopeAddress);
  EXPECT_EQ(traffic, Join({kScopeReset, kSetup, ChannelSteps("CH1"),
                           {"SEL:CH1 OFF", "SEL:CH2 ON", "MEASU:MEAS1:SOU CH2;STATE ON", "CH2:SCA .002",
                            "MEASU:MEAS1:VAL?"},
                           kScopeReset}));
  std::vector<std::string> lines = DisplayLines();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[6].substr(73), " FAIL");
  EXPECT_EQ(lines[8], "");
  EXPECT_EQ(lines[9].substr(0, 5), " CH 2");
  // Reported with a result (not as "ended before a result"), so the frame notes the stop.
  EXPECT_EQ(lines[10], "");
  EXPECT_EQ(lines[11], "TEST SEQUENCE TERMINATED BY OPERATOR.");
  EXPECT_EQ(state.TestStatus[kTestOffsetZero], TestOutcome::NotRun);
}

TEST_F(OffsetZeroTest, RegisteredInTheFrameForTheFullSequence) {
  RegisterPvTests(pv);
  // This bench has no generator or time-mark generator; the sequence is about the first two.
  for (int16_t n : {kTestBandwidth, kTestSampleRate, kTestTrigger}) frame.Hooks().Tests[static_cast<size_t>(n)] = nullptr;
  state.AutoMode = Automation::Full;
  AddCalibrator();
  AddScanners();
  frame.Hooks().SelfCal = [this] { state.SelfCalDone = true; };
  technician.Expect("You have selected to do a Full Sequence PV of the TDS 340.\nAre you sure you want to continue ?",
                    36, "Adjust", kYes);
  technician.Expect("Full Sequence Failed.", 48, "End of Full Sequence", kOk);
  Readings(kTenZeros);  // the offset test passes
  Readings({"-991.0E-3", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"});  // DC fails from step 2

  frame.FullSequence(scope.ScopeModel);

  EXPECT_EQ(state.TestStatus[kTestOffsetZero], TestOutcome::Passed);
  EXPECT_EQ(state.TestStatus[kTestGain], TestOutcome::Failed);
  std::vector<std::string> lines = DisplayLines();
  ASSERT_EQ(lines.size(), 14u + 19u);
  EXPECT_EQ(lines[15], "DC Voltage Measurement - Test ACQ / 2 of 3");
}

}  // namespace
}  // namespace veridane::testing
