#include "pv/procedures/dc_voltage.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <optional>
#include <utility>

#include "platform/numbers.h"
#include "platform/text8.h"
#include "pv/frame/result_row.h"
#include "report/format.h"
#include "report/step_result.h"
#include "scope/scope_commands.h"

namespace veridane {

namespace {

constexpr std::string_view kLabel = "Test ACQ / 2 of 3";
constexpr std::string_view kHeader =
    "  CH  VERT SCALE  POS    OFFSET  DC VOLTAGE     LIMITS        MEASURED PASS/FAIL";

struct DcStep {
  float scale;       // V/div
  int position;      // div
  int offset;        // V
  float output;      // calibrator output in V; for the difference step its nominal value
  float tolerance;   // +/- V
  bool difference;   // judges the readings of the two steps before it; sends nothing
};

constexpr std::array<DcStep, 7> kSteps{{
    {0.005f, 0, -1, -0.99f, 0.008f, false},
    {0.01f, -5, 0, 0.06f, 0.0054f, false},
    {0.05f, -5, -1, -0.9f, 0.019f, false},
    {0.05f, -5, -1, -0.6f, 0.019f, false},
    {0.05f, -5, -1, 0.3f, 0.014f, true},
    {0.2f, 5, 10, 8.4f, 0.12f, false},
    {1.0f, 5, 100, 98.0f, 0.9f, false},
}};
// The difference step compares these two readings (-900 mV and -600 mV).
constexpr size_t kDifferenceFirst = 2;
constexpr size_t kDifferenceSecond = 3;
constexpr std::string_view kDifferenceColumn = "-900/-600 mV";

StepResult DcResult(int16_t channel, const DcStep& step, std::optional<float> measured) {
  StepResult result =
      MakeStepResult(DcStepName("CH" + std::to_string(channel), step.scale, step.output, step.difference), "V",
                     Judge(step.output, -step.tolerance, JudgeMode::TwoSided, measured), measured);
  std::string dcVoltage =
      step.difference ? std::string(kDifferenceColumn) : FormatValue(step.output, "V", 303) + "   ";
  // The low end reads in the prefix of the high end, which carries the unit for both.
  std::string low = FormatValue(LowerLimit(step.output, -step.tolerance), "", 103);
  low.erase(low.find_last_not_of(' ') + 1);
  // No reading keeps the width the cell and its gap had when it showed 0 V in its place; the
  // cell is as wide as the words, so they take one blank of the gap to stand apart.
  const std::string measuredCell = measured ? FormatValue(*measured, "V", 403) + "   "
                                            : NoReadingCell(FormatValue(0, "V", 403).size() + 1) + "  ";
  result.text = " " + Trim(ChannelName(channel)) + FormatValue(step.scale, "V", 4) + "/div" +
         FormatValue(static_cast<float>(step.position), "div", 3) +
         FormatValue(static_cast<float>(step.offset), "V", 203) + dcVoltage + low + " - " +
         FormatValue(UpperLimit(step.output, -step.tolerance), "V", 103) + measuredCell +
         std::string(VerdictText(result.verdict));
  return result;
}

TestOutcome MeasureGain(ScopeLink& scope, BenchParts& bench, TestRun& test, StopToken stop) {
  const bool autoMode = IsAuto(test.state.AutoMode);
  TestOutcome outcome = TestOutcome::Passed;
  // Until the first step of channel 1 is through, a stop leaves no result worth recording.
  bool pastFirstStep = false;
  std::array<std::optional<float>, kSteps.size()> readings{};
  std::array<StepReadings, kSteps.size()> stepReadings{};

  for (int16_t n = 1; n <= 2; ++n) {
    const std::string channel = "CH" + std::to_string(n);
    if (n == 2) {
      MeasureOnCH2(scope.bus, scope.Device());
      scope.control.WaitOPC(DriverTimeout::TenSeconds);
      if (autoMode)
        bench.scanners.SetRoute("CALIB,CH2");
      else
        test.frame.TestPrompt("Move the signal to " + ChannelName(2) + ".", kOkCancel);
      if (stop.Raised()) break;
    }
    ScopeWrite(scope, channel + ":BAN TWE");  // 20 MHz bandwidth limit

    for (size_t i = 0; i < kSteps.size(); ++i) {
      const DcStep& step = kSteps[i];
      std::optional<float> measured;
      stepReadings[i] = {};
      if (step.difference) {
        // Without both readings there is no difference to judge.
        if (readings[kDifferenceFirst] && readings[kDifferenceSecond])
          measured = std::fabs(*readings[kDifferenceFirst] - *readings[kDifferenceSecond]);
      } else {
        ScopeWrite(scope, channel + ":SCA" + PlainText(step.scale) + ";OFFS " + PlainText(step.offset) + ";POS " +
                           PlainText(step.position));
        if (bench.calibrator.SetCalibrator(step.output, "V", 0) == Setting::Cancelled) stop.Raise();
        if (stop.Raised()) break;
        // The calibrator's output needs time to settle; the high-voltage range longer. A
        // technician setting it by hand has confirmed the setting already.
        if (bench.roles.CalibratorDevice != 0) scope.bus.Wait(std::chrono::seconds(step.output > 90 ? 3 : 2));
        ScopeWrite(scope, "TRIG FORCE");
        ScopeWrite(scope, "ACQ:MODE AVE");
        scope.bus.Wait(std::chrono::seconds(4));
        const Measurement reading = ReadMeasurement(scope, test);
        measured = reading.Single();
        if (reading.value) stepReadings[i] = StepReadings{reading.replies};
        ScopeWrite(scope, "ACQ:MODE SAM");
        readings[i] = measured;
      }

      StepResult result = DcResult(n, step, measured);
      if (i == 0) {
        if (n == 1)
          test.display.PrintFirst(kLabel, kHeader);
        else
          test.display.PrintScreen("");
      }
      if (Failed(result.verdict)) outcome = TestOutcome::Failed;
      std::vector<StandardSetting> standards;
      std::vector<StepReadings> replies;
      if (step.difference) {
        // The difference carries both calibrator settings and both readings.
        for (size_t k : {kDifferenceFirst, kDifferenceSecond}) {
          standards.push_back({StandardFunction::DcVoltage, kSteps[k].output, std::nullopt});
          if (!stepReadings[k].replies.empty()) replies.push_back(stepReadings[k]);
        }
      } else {
        standards.push_back({StandardFunction::DcVoltage, step.output, std::nullopt});
        if (!stepReadings[i].replies.empty()) replies.push_back(stepReadings[i]);
      }
      test.frame.Step(std::move(result), std::move(standards), std::move(replies));
      if (stop.Raised()) break;
      pastFirstStep = true;
    }

    // Back to standby after every channel, and also when stopped: the output may be at 98 V.
    bench.calibrator.CalibratorReset();
    if (stop.Raised()) break;
    if (n == 1) ScopeWrite(scope, "SEL:CH1 OFF");
  }

  if (stop.Raised() && !pastFirstStep) outcome = TestOutcome::Stopped;
  return outcome;
}

}  // namespace

void Gain(ScopeLink& scope, BenchParts& bench, TestRun& test) {
  const RunState& state = test.state;
  bench.calibrator.CalibratorReset();
  auto opening = [&](StopToken stop) {
    ScopeSetUp(scope, {"DIS:GRA FRA", "HOR:MAI:SCA 50E-6", "TRIG:MAI:EDGE:COUP HFR", "MEASU:MEAS1:TYP MEAN;STATE ON",
                       "MEASU:METH MINM"});
    if (IsAuto(state.AutoMode)) {
      if (!state.FullSeqRunning)
        test.frame.TestPrompt("If present remove any a 50 ohm termination(s) at the inputs.", kOkCancel);
      if (!stop.Raised()) bench.scanners.SetRoute("CALIB,CH1");
    } else {
      test.frame.TestPrompt("Connect the " + bench.roles.CalibratorName + " to CH 1.", kOkCancel);
    }
  };
  test.frame.Run(kTestGain, {kLabel, opening, [&](StopToken stop) { return MeasureGain(scope, bench, test, stop); }});
}

}  // namespace veridane
