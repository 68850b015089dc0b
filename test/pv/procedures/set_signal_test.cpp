// The closed-loop signal setting against the recording bus: the saved and restored scope
// settings, the proportional corrections and their limit, the technician's knob path and the
// questions that stop the loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test/support/pv_bench.h"
#include "pv/procedures/set_signal.h"

namespace veridane::testing {
namespace {

constexpr int kGeneratorAddress = 10;

const std::string kMeas1 = ":MEASUREMENT:MEAS1:STATE 1;TYPE PK2PK;UNITS \"V\";SOURCE1 CH1";
const std::string kMeas2 = ":MEASUREMENT:MEAS2:STATE 0;TYPE FREQUENCY;UNITS \"HZ\";SOURCE1 CH1";
const std::string kImmediate = ":MEASUREMENT:IMMED:TYPE MEAN;UNITS \"V\"";
const std::string kMethod = ":MEASUREMENT:METHOD HISTOGRAM";
const std::string kAcquire = ":ACQUIRE:STOPAFTER RUNSTOP;STATE 1;MODE SAMPLE;NUMAVG 16";

const std::string kLargeAmplitude =
    "The amplitude error is greater than 35% !\nThe cause is probably a bad or not connected 50 ohm terminator or an "
    "incorrect setup. \n\nDo you wish to continue ?";

class SetSignalTest : public PvBench {
 protected:
  SetSignalTest() {
    gpib.SetAnswer(kScopeAddress, "SEL?", "1;0;0;0;0;CH1\n");
    gpib.SetAnswer(kScopeAddress, "MEASU:MEAS1?", kMeas1 + "\n");
    gpib.SetAnswer(kScopeAddress, "MEASU:MEAS2?", kMeas2 + "\n");
    gpib.SetAnswer(kScopeAddress, "MEASU:IMM?", kImmediate + "\n");
    gpib.SetAnswer(kScopeAddress, "MEASU:METH?", kMethod + "\n");
    gpib.SetAnswer(kScopeAddress, "ACQ?", kAcquire + "\n");
  }
  void AddGenerator() {
    roles.SGDevice = Device(kGeneratorAddress);
    roles.SGModel = 5030;
    roles.SGName = "SG 5030";
    generator.state.lastAmplitude = 1.5f;  // set by the test before it closes the loop
  }
  std::vector<std::string> AmplitudeSettings() const {
    std::vector<std::string> settings;
    for (const std::string& text : WrittenTo(kGeneratorAddress))
      if (text.rfind("AMPL", 0) == 0) settings.push_back(text);
    return settings;
  }
  // The scope was given back what it had, after the last measurement.
  void ExpectRestored() {
    std::vector<std::string> scope = WrittenTo(kScopeAddress);
    ASSERT_GE(scope.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(scope.end() - 4, scope.end()),
              (std::vector<std::string>{kMethod, ":MEASUREMENT:IMMED:TYPE MEAN", kAcquire, "*OPC?"}));
  }
};

TEST_F(SetSignalTest, EightPercentInsideTenMakesNoCorrectionAndRestoresTheScope) {
  AddGenerator();
  Readings({"54.0E3", "1.0"});  // frequency in Hz, then the amplitude

  SetSignal(signal, scope.ScopeDevice, 0.05f, 10, 0, 0);

  EXPECT_EQ(WrittenTo(kScopeAddress),
            (std::vector<std::string>{"SEL?", "HEAD ON", "MEASU:MEAS1?", "MEASU:MEAS2?", "MEASU:IMM?", "MEASU:METH?",
                                      "ACQ?", "HEAD OFF", "MEASU:IMM:TYP FREQ;SOU CH1", "MEASU:METH MINM",
                                      "TRIG:MAI SETL", "ACQ:MODE AVE;NUMAV 16", "MEASU:IMM:VAL?", "MEASU:IMM:TYP PK2",
                                      "MEASU:IMM:VAL?", "ACQ:MODE SAM", "MEASU:IMM:TYP FREQ", kMethod,
                                      ":MEASUREMENT:IMMED:TYPE MEAN", kAcquire, "*OPC?"}));
  EXPECT_TRUE(WrittenTo(kGeneratorAddress).empty());
  EXPECT_FALSE(state.AbortFlag);
  // Averaging gets its two seconds before the reading.
  EXPECT_EQ(TimeOf(kScopeAddress, "MEASU:IMM:VAL?") - TimeOf(kScopeAddress, "ACQ:MODE AVE;NUMAV 16"), 2.0);
}

TEST_F(SetSignalTest, AmplitudeCorrectionScalesTheGeneratorByWantedOverMeasured) {
  AddGenerator();
  Readings({"50.0E3", "1.2", "1.49"});

  SetSignal(signal, scope.ScopeDevice, 0.05f, 10, 1.5f, 5);

  // 1.5 x 1.5 / 1.2, then the second reading is within 5 %.
  EXPECT_EQ(AmplitudeSettings(), std::vector<std::string>{"AMPL 1.875;OUT ON"});
  EXPECT_FALSE(state.AbortFlag);
  ExpectRestored();
}

TEST_F(SetSignalTest, SixthPassAsksAndYesGivesFiveMoreCorrections) {
  AddGenerator();
  Readings({"50.0E3"});
  Readings(std::vector<std::string>(11, "1.42"));  // the generator never gets through
  const std::string unable = "Unable set the SG 5030 amplitude to within 5.00%.\n\nDo you wish to try again ?";
  technician.Expect(unable, 20, "Amplitude Error", kYes);
  technician.Expect(unable, 20, "Amplitude Error", kNo);

  SetSignal(signal, scope.ScopeDevice, 0.05f, 10, 1.5f, 5);

  EXPECT_EQ(AmplitudeSettings().size(), 10u);
  EXPECT_TRUE(state.AbortFlag);
  ExpectRestored();
}

TEST_F(SetSignalTest, LargeErrorWithAGeneratorMeasuresAgainInsteadOfDividingByNothing) {
  AddGenerator();
  // A garbled frequency reading is no frequency at all.
  Readings({"garbled", "1.5", "50.5E3"});
  technician.Expect(
      "The frequency error is greater than 25% !\nThe cause is probably an incorrect setup. \n\nDo you wish to continue ?",
      20, "Large Frequency Error", kYes);

  SetSignal(signal, scope.ScopeDevice, 0.05f, 10, 0, 0);

  EXPECT_TRUE(WrittenTo(kGeneratorAddress).empty());
  EXPECT_FALSE(state.AbortFlag);
}

TEST_F(SetSignalTest, NegativeToleranceHandsTheKnobToTheTechnicianEvenWithAGenerator) {
  AddGenerator();
  Readings({"150", "1.0", "150"});  // 100 Hz wanted: 50 % high, and still after the first turn
  const std::string turn = "The frequency is out of limit!\nDecrease the signal frequency to 100  Hz.\n\nTry again ?";
  technician.Expect(turn, 19, "Frequency Error", kYes);
  technician.Expect(turn, 19, "Frequency Error", kNo);

  SetSignal(signal, scope.ScopeDevice, 0.0001f, -10, 0, 0);

  // No takes the signal as it is: no abort, no generator setting.
  EXPECT_FALSE(state.AbortFlag);
  EXPECT_TRUE(WrittenTo(kGeneratorAddress).empty());
  // The technician watched a live reading, which was taken off the display again.
  std::vector<std::string> scope = WrittenTo(kScopeAddress);
  auto live = std::find(scope.begin(), scope.end(), "MEASU:MEAS1:TYPE FREQ;SOU CH1;STATE ON");
  ASSERT_NE(live, scope.end());
  EXPECT_EQ(*(live + 1), "MEASU:MEAS2:STATE OFF");
  EXPECT_EQ(*(live + 2), "ACQ:MODE AVE;NUMAV 2");
  auto savedBack = std::find(live, scope.end(), ":MEASUREMENT:MEAS1:STATE 1;TYPE PK2PK;SOURCE1 CH1");
  ASSERT_NE(savedBack, scope.end());
  EXPECT_EQ(*(savedBack + 1), ":MEASUREMENT:MEAS2:STATE 0;TYPE FREQUENCY;SOURCE1 CH1");
  ExpectRestored();
}

TEST_F(SetSignalTest, NoAmplitudeStillAsksWithTheHandFlag) {
  Readings({"50.0E3", "0"});
  technician.Expect(kLargeAmplitude, 20, "Large Amplitude Error", kNo);

  SetSignal(signal, scope.ScopeDevice, 0.05f, 10, 1.5f, -3);

  EXPECT_TRUE(state.AbortFlag);
  ExpectRestored();
}

TEST_F(SetSignalTest, WithoutAGeneratorTheTechnicianTurnsTheGeneratorKnob) {
  Readings({"50.0E3", "1.2", "1.3", "1.5"});
  const std::string turn = "The amplitude is out of limit!\nIncrease the Signal Generator output amplitude to 1.50  V P-P.";
  technician.Expect(turn, 17, "Amplitude Error", kOk);
  technician.Expect(turn, 17, "Amplitude Error", kOk);

  SetSignal(signal, scope.ScopeDevice, 0.05f, 10, 1.5f, 3);

  EXPECT_FALSE(state.AbortFlag);
  std::vector<std::string> scope = WrittenTo(kScopeAddress);
  EXPECT_EQ(std::count(scope.begin(), scope.end(), "MEASU:Meas1:TYPE PK2;SOU CH1;STATE ON"), 1);
}

TEST_F(SetSignalTest, CancelAtTheKnobStopsAndStillRestores) {
  Readings({"60.0E3", "1.0"});
  technician.Expect("The frequency is out of limit!\nDecrease the Signal Generator output frequency to 50.0 kHz.", 17,
                    "Frequency Error", kCancel);

  SetSignal(signal, scope.ScopeDevice, 0.05f, 10, 1.5f, 3);

  EXPECT_TRUE(state.AbortFlag);
  // The amplitude loop never started.
  std::vector<std::string> scope = WrittenTo(kScopeAddress);
  EXPECT_EQ(std::count(scope.begin(), scope.end(), "MEASU:IMM:TYP PK2PK"), 0);
  ExpectRestored();
}

TEST_F(SetSignalTest, NegativeDeviceCorrectsALargeAmplitudeErrorWithoutAsking) {
  AddGenerator();
  Readings({"50.0E3", "0.9", "1.5"});

  SetSignal(signal, static_cast<int16_t>(-scope.ScopeDevice), 0.05f, 10, 1.5f, 5);

  EXPECT_EQ(AmplitudeSettings(), std::vector<std::string>{"AMPL 2.5;OUT ON"});
  EXPECT_FALSE(state.AbortFlag);
}

TEST_F(SetSignalTest, AboveFiftyMegahertzTheScopeSettlesSixSecondsWithoutAveraging) {
  AddGenerator();
  Readings({"100.0E6", "1.0"});

  SetSignal(signal, scope.ScopeDevice, 100, 3, 0, 0);

  std::vector<std::string> scope = WrittenTo(kScopeAddress);
  EXPECT_EQ(std::count(scope.begin(), scope.end(), "ACQ:MODE AVE;NUMAV 16"), 0);
  EXPECT_EQ(TimeOf(kScopeAddress, "MEASU:IMM:VAL?") - TimeOf(kScopeAddress, "TRIG:MAI SETL"), 6.0);
}

TEST(WithoutUnits, TakesOutTheUnitsElementUpToTheNextSeparator) {
  EXPECT_EQ(WithoutUnits(kMeas1), ":MEASUREMENT:MEAS1:STATE 1;TYPE PK2PK;SOURCE1 CH1");
  EXPECT_EQ(WithoutUnits(kImmediate), ":MEASUREMENT:IMMED:TYPE MEAN");
  EXPECT_EQ(WithoutUnits(kMethod), kMethod);
}

}  // namespace
}  // namespace veridane::testing
