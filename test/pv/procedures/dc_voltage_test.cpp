// The DC Voltage Measurement test against the recording bus: command traffic with and without
// the calibrator and the scanners, settling waits, rows, and the ways it ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test/support/pv_bench.h"
#include "pv/procedures/dc_voltage.h"

namespace veridane::testing {
namespace {

const std::string kCaption = "DC Voltage Measurement";
const std::string kEndCaption = "DC Voltage Measurement / End of Test";
const std::string kReminder = "Disconnect all input signals.";
const std::vector<std::string> kSetup = {"DIS:GRA FRA", "HOR:MAI:SCA 50E-6", "TRIG:MAI:EDGE:COUP HFR",
                                         "MEASU:MEAS1:TYP MEAN;STATE ON", "MEASU:METH MINM", "*OPC?"};
const std::vector<std::string> kSteps = {";OFFS -1;POS  0", ";OFFS  0;POS -5", ";OFFS -1;POS -5",
                                         ";OFFS -1;POS -5", ";OFFS  10;POS  5", ";OFFS  100;POS  5"};
const std::vector<std::string> kScales = {" .005", " .01", " .05", " .05", " .2", " 1"};
const std::vector<std::string> kOutputs = {"-.99V,N", ".06V+,N", "-.9V,N", "-.6V,N", "8.4V+,N", "98V+,N"};

// The six measured steps of a channel (step 5 sends nothing).
std::vector<std::string> ChannelTraffic(const std::string& ch) {
  std::vector<std::string> traffic = {ch + ":BAN TWE"};
  for (size_t i = 0; i < kSteps.size(); ++i)
    traffic.insert(traffic.end(), {ch + ":SCA" + kScales[i] + kSteps[i], "TRIG FORCE", "ACQ:MODE AVE",
                                   "MEASU:MEAS1:VAL?", "ACQ:MODE SAM"});
  return traffic;
}
const std::vector<std::string> kChannel2Select = {"SEL:CH1 OFF", "SEL:CH2 ON", "MEASU:MEAS1:SOU CH2;STATE ON", "*OPC?"};

const std::vector<std::string> kGoodReadings = {"-991.0E-3", "61.2E-3", "-900.0E-3", "-600.0E-3", "8.41", "98.2"};

class GainTest : public PvBench {
 protected:
  void ExpectCalibratorPrompts(const std::vector<std::string>& texts, BoxAnswer lastAnswer = kOk) {
    for (size_t i = 0; i < texts.size(); ++i)
      technician.Expect(texts[i], 49, "Set the Calibrator", i + 1 == texts.size() ? lastAnswer : kOk);
  }
  void ExpectCalibratorZero() { technician.Expect("0  V, DC", 48, "Set the Calibrator", kOk); }
};

TEST_F(GainTest, ManualWithCalibratorTrafficAndSettlingWaits) {
  AddCalibrator();
  technician.Expect("Connect the Fluke 5100A/B to CH 1.", 65, kCaption, kOk);
  technician.Expect("Move the signal to CH 2.", 65, kCaption, kOk);
  technician.Expect("Test Passed.              \n\n" + kReminder, 64, kEndCaption, kOk);
  Readings(kGoodReadings);
  Readings(kGoodReadings);

  Gain(link, benchParts, testRun);

  EXPECT_EQ(WrittenTo(kScopeAddress), Join({kScopeReset, kSetup, ChannelTraffic("CH1"), kChannel2Select,
                                            ChannelTraffic("CH2"), kScopeReset}));
  EXPECT_EQ(WrittenTo(kCalibratorAddress), Join({{"CC"}, kOutputs, {"CC"}, kOutputs, {"CC"}}));
  // The standby before the test comes ahead of everything the scope gets.
  EXPECT_EQ(gpib.writes.front().address, kCalibratorAddress);

  // Settling after the calibrator's own second: 2 s, and 3 s on the 98 V step. Then 4 s of averaging.
  for (int ch = 0; ch < 2; ++ch) {
    for (size_t i = 0; i < kOutputs.size(); ++i) {
      int nth = ch * 6 + static_cast<int>(i);
      double set = TimeOf(kCalibratorAddress, kOutputs[i], ch);
      double trigger = TimeOf(kScopeAddress, "TRIG FORCE", nth);
      EXPECT_EQ(trigger - set, i == 5 ? 4.0 : 3.0) << kOutputs[i];
      // The virtual clock sums the queries' 100 ms pauses in binary: equal to well below a µs.
      EXPECT_NEAR(TimeOf(kScopeAddress, "MEASU:MEAS1:VAL?", nth) - trigger, 4.0, 1e-9);
    }
  }
  // Step 5 only judges: from step 4's last command straight to step 6, in no time at all.
  std::vector<std::string> scope = WrittenTo(kScopeAddress);
  auto step6 = std::find(scope.begin(), scope.end(), "CH1:SCA .2;OFFS  10;POS  5");
  ASSERT_NE(step6, scope.end());
  EXPECT_EQ(*(step6 - 1), "ACQ:MODE SAM");
  EXPECT_EQ(TimeOf(kScopeAddress, "CH1:SCA .2;OFFS  10;POS  5"), TimeOf(kScopeAddress, "ACQ:MODE SAM", 3));

  EXPECT_EQ(state.TestStatus[kTestGain], TestOutcome::Passed);
}

TEST_F(GainTest, RowsForASetOfReadings) {
  state.AutoMode = Automation::Full;
  AddCalibrator();
  technician.Expect("If present remove any a 50 ohm termination(s) at the inputs.", 65, kCaption, kOk);
  technician.Expect("Test Failed.              ", 64, kEndCaption, kOk);
  Readings(kGoodReadings);
  Readings({"-984.0E-3", "9.9E37", "-905.0E-3", "-610.0E-3", "8.3", "96.0"});

  Gain(link, benchParts, testRun);

  const std::vector<std::string> expected = {
      "DC Voltage Measurement - Test ACQ / 2 of 3",
      "  CH  VERT SCALE  POS    OFFSET  DC VOLTAGE     LIMITS        MEASURED PASS/FAIL",
      "",
      " CH 1   5 mV/div  0  div-1.00  V  -990 mV    -998 -  -982 mV   -991 mV    PASS",
      " CH 1  10 mV/div -5  div 0.00  V  60.0 mV    54.6 -  65.4 mV   61.2 mV    PASS",
      " CH 1  50 mV/div -5  div-1.00  V  -900 mV    -919 -  -881 mV   -900 mV    PASS",
      " CH 1  50 mV/div -5  div-1.00  V  -600 mV    -619 -  -581 mV   -600 mV    PASS",
      " CH 1  50 mV/div -5  div-1.00  V-900/-600 mV  286 -   314 mV    300 mV    PASS",
      " CH 1 200 mV/div  5  div 10.0  V  8.40  V    8.28 -  8.52  V   8.41  V    PASS",
      " CH 1   1  V/div  5  div  100  V  98.0  V    97.1 -  98.9  V   98.2  V    PASS",
      "",
      " CH 2   5 mV/div  0  div-1.00  V  -990 mV    -998 -  -982 mV   -984 mV   >PASS",
      // 9.9E37: no valid measurement.
      " CH 2  10 mV/div -5  div 0.00  V  60.0 mV    54.6 -  65.4 mV no reading   FAIL",
      " CH 2  50 mV/div -5  div-1.00  V  -900 mV    -919 -  -881 mV   -905 mV    PASS",
      " CH 2  50 mV/div -5  div-1.00  V  -600 mV    -619 -  -581 mV   -610 mV    PASS",
      " CH 2  50 mV/div -5  div-1.00  V-900/-600 mV  286 -   314 mV    295 mV    PASS",
      " CH 2 200 mV/div  5  div 10.0  V  8.40  V    8.28 -  8.52  V   8.30  V   >PASS",
      " CH 2   1  V/div  5  div  100  V  98.0  V    97.1 -  98.9  V   96.0  V    FAIL",
  };
  EXPECT_EQ(DisplayLines(), expected);
  EXPECT_EQ(state.TestStatus[kTestGain], TestOutcome::Failed);
}

TEST_F(GainTest, AutoModeRoutesTheCalibratorThroughTheScanners) {
  state.AutoMode = Automation::Full;
  AddCalibrator();
  AddScanners();
  technician.Expect("If present remove any a 50 ohm termination(s) at the inputs.", 65, kCaption, kOk);
  technician.Expect("Test Passed.              ", 64, kEndCaption, kOk);  // full Auto: no reminder
  Readings(kGoodReadings);
  Readings(kGoodReadings);

  Gain(link, benchParts, testRun);

  EXPECT_EQ(WrittenTo(kScanner1Address), (std::vector<std::string>{"INIT;CLOSE A1,B2,", "INIT;CLOSE A1,B3,", "INIT"}));
  EXPECT_EQ(WrittenTo(kScanner2Address), (std::vector<std::string>{"INIT", "INIT;CLOSE A3,", "INIT"}));
  // Channel 2 is routed after its selection and before its first setting.
  int route = IndexOf(kScanner1Address, "INIT;CLOSE A1,B3,");
  EXPECT_LT(IndexOf(kScopeAddress, "*OPC?", 2), route);
  EXPECT_LT(route, IndexOf(kScopeAddress, "CH2:BAN TWE"));
  EXPECT_EQ(DisplayLines().size(), 18u);
}

TEST_F(GainTest, WithoutCalibratorTheTechnicianSetsItAndNothingWaits) {
  ExpectCalibratorZero();
  technician.Expect("Connect the Calibrator to CH 1.", 65, kCaption, kOk);
  ExpectCalibratorPrompts({"-990 mV, DC", "60 mV, DC", "-900 mV, DC", "-600 mV, DC", "8.4  V, DC", "98  V, DC"});
  ExpectCalibratorZero();
  technician.Expect("Move the signal to CH 2.", 65, kCaption, kOk);
  ExpectCalibratorPrompts({"-990 mV, DC", "60 mV, DC", "-900 mV, DC", "-600 mV, DC", "8.4  V, DC", "98  V, DC"});
  ExpectCalibratorZero();
  technician.Expect("Test Passed.              \n\n" + kReminder, 64, kEndCaption, kOk);
  Readings(kGoodReadings);
  Readings(kGoodReadings);

  Gain(link, benchParts, testRun);

  EXPECT_TRUE(WrittenTo(kCalibratorAddress).empty());
  for (size_t i = 0; i < kSteps.size(); ++i) {
    std::string setting = "CH1:SCA" + kScales[i] + kSteps[i];
    int repeat = i == 3 ? 1 : 0;  // steps 3 and 4 share their setting
    EXPECT_EQ(TimeOf(kScopeAddress, "TRIG FORCE", static_cast<int>(i)), TimeOf(kScopeAddress, setting, repeat))
        << setting;
  }
  EXPECT_EQ(state.TestStatus[kTestGain], TestOutcome::Passed);
}

TEST_F(GainTest, CancelAtTheOpeningPromptEndsWithoutAResult) {
  AddCalibrator();
  technician.Expect("Connect the Fluke 5100A/B to CH 1.", 65, kCaption, kCancel);

  Gain(link, benchParts, testRun);

  EXPECT_EQ(WrittenTo(kScopeAddress), Join({kScopeReset, kSetup, kScopeReset}));
  EXPECT_EQ(WrittenTo(kCalibratorAddress), (std::vector<std::string>{"CC"}));
  EXPECT_TRUE(display.Text().empty());
  EXPECT_EQ(state.TestStatus[kTestGain], TestOutcome::NotRun);
  EXPECT_FALSE(state.AbortFlag);

  // In Auto mode the same cancel also keeps the scanners open.
  state.AutoMode = Automation::Full;
  AddScanners();
  technician.Expect("If present remove any a 50 ohm termination(s) at the inputs.", 65, kCaption, kCancel);
  Gain(link, benchParts, testRun);
  EXPECT_EQ(WrittenTo(kScanner1Address), (std::vector<std::string>{"INIT"}));  // the frame's reset only
  EXPECT_TRUE(display.Text().empty());
}

TEST_F(GainTest, ExitTestDuringChannelTwoKeepsTheRowsAndReportsTheResult) {
  AddCalibrator();
  technician.Expect("Connect the Fluke 5100A/B to CH 1.", 65, kCaption, kOk);
  technician.Expect("Move the signal to CH 2.", 65, kCaption, kOk);
  technician.Expect("Test Sequence Terminated by Operator.\n\n" + kReminder, 64, kEndCaption, kOk);
  Readings(kGoodReadings);
  Readings({"-991.0E-3"});
  // Selection, route prompt, 1 s calibrator, 2 s settling: 5 s in is the averaging wait of step 1.
  ExitTestAfter("SEL:CH2 ON", 5);

  Gain(link, benchParts, testRun);

  std::vector<std::string> traffic = WrittenTo(kScopeAddress);
  std::vector<std::string> channel2 = ChannelTraffic("CH2");
  EXPECT_EQ(traffic, Join({kScopeReset, kSetup, ChannelTraffic("CH1"), kChannel2Select,
                           {channel2.begin(), channel2.begin() + 6}, kScopeReset}));
  // The calibrator goes back to standby when stopped, too.
  EXPECT_EQ(WrittenTo(kCalibratorAddress), Join({{"CC"}, kOutputs, {"CC", "-.99V,N", "CC"}}));
  std::vector<std::string> lines = DisplayLines();
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[11].substr(0, 16), " CH 2   5 mV/div");
  EXPECT_EQ(lines[12], "");
  EXPECT_EQ(lines[13], "TEST SEQUENCE TERMINATED BY OPERATOR.");
  EXPECT_EQ(state.TestStatus[kTestGain], TestOutcome::NotRun);
}

TEST_F(GainTest, StoppedWithinTheFirstStepCountsAsNoResult) {
  // Exit Test while the first reading averages: its row stays, but the test ends without a
  // result, so the frame adds no termination line and shows just the reminder.
  AddCalibrator();
  technician.Expect("Connect the Fluke 5100A/B to CH 1.", 65, kCaption, kOk);
  technician.Expect(kReminder, 64, kEndCaption, kOk);
  Readings({"0"});
  ExitTestAfter("TRIG FORCE", 1);

  Gain(link, benchParts, testRun);

  std::vector<std::string> lines = DisplayLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3].substr(73), " FAIL");
  EXPECT_EQ(WrittenTo(kCalibratorAddress), (std::vector<std::string>{"CC", "-.99V,N", "CC"}));
  EXPECT_EQ(state.TestStatus[kTestGain], TestOutcome::NotRun);

  // Cancel at the technician's first calibrator setting: nothing measured at all.
  roles.CalibratorDevice = 0;
  roles.CalibratorName = "Calibrator";
  display.ClearDisplay();
  ExpectCalibratorZero();
  technician.Expect("Connect the Calibrator to CH 1.", 65, kCaption, kOk);
  ExpectCalibratorPrompts({"-990 mV, DC"}, kCancel);
  ExpectCalibratorZero();
  technician.Expect(kReminder, 64, kEndCaption, kOk);
  Gain(link, benchParts, testRun);
  EXPECT_TRUE(display.Text().empty());
  EXPECT_EQ(WrittenTo(kScopeAddress).back(), "CLEARM");
}

}  // namespace
}  // namespace veridane::testing
