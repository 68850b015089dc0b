// The program's own drivers prompting the technician on a bench without those instruments on
// the bus: the texts they build are the texts the technician must act on, so a change to a
// prompt that the technician can no longer read fails here.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "instruments/calibrator.h"
#include "instruments/instrument_roles.h"
#include "instruments/run_flags.h"
#include "instruments/signal_generator.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "platform/numbers.h"
#include "sim/bench/bench.h"
#include "sim/technician/virtual_technician.h"
#include "report/format.h"
#include "pv/frame/run_state.h"
#include "pv/frame/test_prompt.h"

namespace veridane::sim {
namespace {

class DriverPromptsTest : public ::testing::Test {
 protected:
  explicit DriverPromptsTest(TechnicianOptions options = {})
      : bench_(Bench::Shipped("scope-only", clock_)),
        technician_(*bench_, options),
        bus_(bench_->Bus(), technician_, clock_),
        calibrator_(bus_, technician_, roles_, autoMode_),
        generator_(bus_, technician_, roles_, autoMode_, bench_->InstrumentDataFolder()) {
    state_.TestNames = {"", "Offset at Zero", "DC Voltage Measurement", "Analog Bandwidth",
                        "Long Term Sample Rate & Delay Time", "Edge Trigger Sensitivity"};
  }

  void Prompt(const std::string& text, int16_t test) {
    state_.CurrentTest = test;
    TestPrompt(text, kOkCancel, technician_, state_);
    ASSERT_FALSE(state_.AbortFlag) << text;
  }
  // The scope at address 1, for set-up and readings as the program would make them.
  int16_t Scope() {
    if (scope_ == 0) scope_ = bus_.ibdev(0, 1, 0, 12, 1, 0);
    return scope_;
  }
  // The live peak-to-peak reading on CH1 that the closed-loop setting puts on the screen.
  void ShowPeakToPeakOnCh1(const char* scale, const char* timebase) {
    for (std::string command : {std::string("HEAD OFF"), std::string("CH1:SCA ") + scale,
                                std::string("HOR:MAI:SCA ") + timebase,
                                std::string("MEASU:MEAS1:TYP PK2;SOURCE1 CH1;STATE 1")}) {
      bus_.GpibWrite(Scope(), command);
    }
  }
  double ShownPeakToPeak() { return NumericValue(bus_.GpibQuery(Scope(), "MEASU:MEAS1:VAL?")); }

  VirtualClock clock_;
  std::unique_ptr<Bench> bench_;
  VirtualTechnician technician_;
  GpibBus bus_;
  InstrumentRoles roles_;
  Automation autoMode_ = Automation::Manual;
  Calibrator calibrator_;
  SignalGenerator generator_;
  RunState state_;
  int16_t scope_ = 0;
};

TEST_F(DriverPromptsTest, DcVoltageStepsReachTheInputThroughTheCalibratorPrompts) {
  calibrator_.CalibratorReset();
  Prompt("Connect the " + roles_.CalibratorName + " to CH 1.", 2);
  for (float volts : {-0.99f, 0.06f, -0.9f, -0.6f, 8.4f, 98.0f}) {
    EXPECT_EQ(calibrator_.SetCalibrator(volts, "V", 0), Setting::Made);
    Signal ch1 = bench_->SignalAt(ScopeInput::Ch1);
    ASSERT_EQ(ch1.kind, Signal::Kind::Dc);
    EXPECT_NEAR(ch1.dcVolts, volts, 1e-6) << volts;
  }
  Prompt("Move the signal to CH 2.", 2);
  calibrator_.SetCalibrator(-0.99f, "V", 0);
  EXPECT_EQ(bench_->SignalAt(ScopeInput::Ch1).kind, Signal::Kind::None);
  EXPECT_NEAR(bench_->SignalAt(ScopeInput::Ch2).dcVolts, -0.99, 1e-6);
  calibrator_.CalibratorReset();
  EXPECT_NEAR(bench_->SignalAt(ScopeInput::Ch2).dcVolts, 0, 1e-12);
  EXPECT_EQ(technician_.UnknownCount(), 0);
  EXPECT_EQ(technician_.Transcript().back().style, 48);  // the reset prompt has OK only
}

TEST_F(DriverPromptsTest, GeneratorPromptsSetFrequencyAndPeakToPeakLevel) {
  Prompt("Connect the " + roles_.SGName + " to CH 1 trough a 50 ohm termination.", 3);
  generator_.SGReset();  // 50 kHz, 10 mV p-p, OK only
  EXPECT_DOUBLE_EQ(bench_->HandGenerator().FrequencyHz(), 50e3);
  EXPECT_NEAR(bench_->HandGenerator().Vpp(), 0.01, 1e-9);

  struct Step {
    SignalSetting setting;
    double hz, vpp;
  };
  const Step steps[] = {
      {SignalSetting::Both(0.05f, 0.012f), 50e3, 0.012},
      {SignalSetting::Frequency(100), 100e6, 0.012},
      {SignalSetting::Both(0.05f, 5), 50e3, 5},
      {SignalSetting::Both(60, 0.5f).Direct(), 60e6, 0.5},
      {SignalSetting::Amplitude(0.3f), 60e6, 0.3},
      {SignalSetting::RmsLevel(50, 0.5f), 50e6, 2 * std::sqrt(2.0) * 0.5},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    const Step& s = steps[i];
    EXPECT_EQ(generator_.SetSG(s.setting), Setting::Made);
    EXPECT_NEAR(bench_->HandGenerator().FrequencyHz(), s.hz, s.hz * 1e-6) << "step " << i;
    // The prompt shows four significant digits.
    EXPECT_NEAR(bench_->HandGenerator().Vpp(), s.vpp, s.vpp * 1e-3) << "step " << i;
  }
  EXPECT_NEAR(bench_->SignalAt(ScopeInput::Ch1).vpp, bench_->HandGenerator().Vpp(), 1e-12);
  EXPECT_EQ(technician_.UnknownCount(), 0);
}

TEST_F(DriverPromptsTest, TimeMarkPromptAndTheHandLoopInstruction) {
  Prompt("Connect the a Time Mark Generator to CH 1 through a 50 ohm termination.\r\nSet it to 10 ms.", 4);
  EXPECT_DOUBLE_EQ(bench_->HandTimeMarks().Period(), 0.01);
  std::string text = "The frequency is out of limit!\nDecrease the signal frequency to " +
                     FormatValue(0.0001f * 1000000.0f, ";Hz", 103) + ".\n\nTry again ?";
  EXPECT_EQ(technician_.ShowMessBox(text, 19, "Frequency Error"), kYes);
  EXPECT_NEAR(bench_->HandTimeMarks().Period(), 0.01, 1e-9);
}

TEST_F(DriverPromptsTest, LevelAsSeenOnTheScopeMakesUpForTheScopesRollOff) {
  Prompt("Connect the " + roles_.SGName + " through a 50 ohm termination to CH 1.", 5);
  ShowPeakToPeakOnCh1(".1", "10E-9");
  EXPECT_EQ(generator_.SetSGOnScope(SignalSetting::Both(100, 0.5f).Direct()), Setting::Made);
  EXPECT_DOUBLE_EQ(bench_->HandGenerator().FrequencyHz(), 100e6);
  // At its -3 dB frequency the scope shows less than the generator gives: the technician
  // turned the level up until the scope showed 0.5 V.
  EXPECT_NEAR(ShownPeakToPeak(), 0.5, 0.5 * 0.03);
  EXPECT_GT(bench_->HandGenerator().Vpp(), 0.55);

  // The closed-loop instruction: turn until the scope shows the new level.
  bus_.GpibWrite(Scope(), "CH1:SCA .2");
  std::string text = "The amplitude is out of limit!\nIncrease the " + roles_.SGName + " output amplitude to" +
                     FormatValue(0.9f, "V", 103) + " P-P.";
  EXPECT_EQ(technician_.ShowMessBox(text, 17, "Amplitude Error"), kOk);
  EXPECT_NEAR(ShownPeakToPeak(), 0.9, 0.9 * 0.03);
  EXPECT_EQ(technician_.UnknownCount(), 0);
}

class DriverPromptsWithKnobErrorTest : public DriverPromptsTest {
 protected:
  static TechnicianOptions Options() {
    TechnicianOptions options;
    options.knobError = 0.02;
    options.seed = 3;
    return options;
  }
  DriverPromptsWithKnobErrorTest() : DriverPromptsTest(Options()) {}
};

TEST_F(DriverPromptsWithKnobErrorTest, RepeatedKnobCorrectionsConvergeWithinTheError) {
  Prompt("Connect the " + roles_.SGName + " to CH 1 trough a 50 ohm termination.", 3);
  ShowPeakToPeakOnCh1(".1", "10E-6");
  generator_.SetSG(SignalSetting::Both(0.05f, 0.6f));
  std::string text = "The amplitude is out of limit!\nIncrease the " + roles_.SGName + " output amplitude to" +
                     FormatValue(0.6f, "V", 103) + " P-P.";
  for (int i = 0; i < 5; ++i) {
    technician_.ShowMessBox(text, 17, "Amplitude Error");
    EXPECT_NEAR(ShownPeakToPeak(), 0.6, 0.6 * 0.03) << i;
  }
}

}  // namespace
}  // namespace veridane::sim
