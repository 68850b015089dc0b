#include "pv/procedures/offset_at_zero.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/numbers.h"
#include "platform/text8.h"
#include "pv/frame/result_row.h"
#include "report/format.h"
#include "report/step_result.h"
#include "scope/scope_commands.h"

namespace veridane {

namespace {

constexpr std::string_view kLabel = "Test ACQ / 1 of 3";
constexpr std::string_view kHeader =
    "CHANNEL       VERTICAL SCALE          LIMITS           MEASURED        PASS/FAIL";

struct OffsetStep {
  float scale;  // V/div
  float limit;  // +/- V around 0
};

constexpr std::array<OffsetStep, 5> kSteps{{
    {0.002f, 0.0032f},
    {0.01f, 0.004f},
    {0.1f, 0.04f},
    {1.0f, 0.4f},
    {10.0f, 1.3f},
}};

// The scope answers 9.9E37 when it cannot make the measurement; anything of that size is no
// reading. A non-number from a garbled reply would otherwise reach the formatter, which only
// takes finite values, so it counts the same way.
constexpr double kNoMeasurement = 100000;

std::string LastChars(const std::string& text, size_t count) {
  return text.size() > count ? text.substr(text.size() - count) : text;
}

StepResult OffsetResult(int16_t channel, const OffsetStep& step, std::optional<float> reading) {
  StepResult result = MakeStepResult(ScaleStep("CH" + std::to_string(channel), step.scale), "V",
                                     Judge(0, -step.limit, JudgeMode::TwoSided, reading), reading);
  // No reading keeps the width the cell had when it showed ten divisions in its place.
  const std::string measured =
      reading ? FormatValue(*reading, "V", 1103) : NoReadingCell(FormatValue(10 * step.scale, "V", 1103).size());
  result.text = " " + ChannelName(channel) + FormatValue(step.scale, "V", 14) + "/div" + std::string(11, ' ') +
                LastChars(" \xB1" + FormatValue(step.limit, ";V", 103), 8) + measured + std::string(11, ' ') +
                std::string(VerdictText(result.verdict));
  return result;
}

}  // namespace

void OffsetZero(ScopeLink& scope, TestRun& test) {
  RunState& state = test.state;
  state.CurrentTest = kTestOffsetZero;
  test.frame.BeginTest(kLabel);

  for (std::string_view command : {"DIS:GRA FRA", "MEASU:MEAS1:TYP MEAN;STATE ON", "MEASU:METH MINM", "ACQ:MOD AVE"})
    ScopeWrite(scope, command);
  scope.control.WaitOPC(DriverTimeout::TenSeconds);

  // A self calibration that just passed in this sequence already had the inputs free.
  bool inputsKnownFree = state.FullSeqRunning && state.SelfCalDone;
  if (!IsAuto(state.AutoMode) && !inputsKnownFree) test.frame.TestPrompt("Disconnect all input signals.", kOkCancel);
  if (state.AbortFlag) {
    test.frame.EndTest(kTestOffsetZero, TestOutcome::Stopped, InputsConnected::No);
    return;
  }

  TestOutcome outcome = TestOutcome::Passed;
  for (int16_t n = 1; n <= 2; ++n) {
    const std::string channel = "CH" + std::to_string(n);
    if (n == 2) {
      MeasureOnCH2(scope.bus, scope.Device());
      test.display.PrintScreen("");
    }
    for (size_t i = 0; i < kSteps.size() && !state.AbortFlag; ++i) {
      const OffsetStep& step = kSteps[i];
      ScopeWrite(scope, channel + ":SCA" + PlainText(step.scale));
      scope.bus.Wait(std::chrono::seconds(4));
      double raw = ReadMeasurement(scope, test);
      const std::optional<float> reading =
          std::fabs(raw) <= kNoMeasurement ? std::optional<float>(static_cast<float>(raw)) : std::nullopt;

      StepResult result = OffsetResult(n, step, reading);
      if (n == 1 && i == 0) test.display.PrintFirst(kLabel, kHeader);
      if (Failed(result.verdict)) outcome = TestOutcome::Failed;
      test.display.PrintResult(std::move(result));
    }
    if (state.AbortFlag) break;
    if (n == 1) ScopeWrite(scope, "SEL:CH1 OFF");
  }
  // Nothing was connected, so no reminder to disconnect.
  test.frame.EndTest(kTestOffsetZero, outcome, InputsConnected::No);
}

}  // namespace veridane
