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

TestOutcome Measure(ScopeLink& scope, TestRun& test, StopToken stop) {
  TestOutcome outcome = TestOutcome::Passed;
  for (int16_t n = 1; n <= 2; ++n) {
    const std::string channel = "CH" + std::to_string(n);
    if (n == 2) {
      MeasureOnCH2(scope.bus, scope.Device());
      test.display.PrintScreen("");
    }
    for (size_t i = 0; i < kSteps.size() && !stop.Raised(); ++i) {
      const OffsetStep& step = kSteps[i];
      ScopeWrite(scope, channel + ":SCA" + PlainText(step.scale));
      scope.bus.Wait(std::chrono::seconds(4));
      const Measurement reading = ReadMeasurement(scope, test);

      StepResult result = OffsetResult(n, step, reading.Single());
      if (n == 1 && i == 0) test.display.PrintFirst(kLabel, kHeader);
      if (Failed(result.verdict)) outcome = TestOutcome::Failed;
      test.frame.Step(std::move(result), {}, ReadingsOf(reading));
    }
    if (stop.Raised()) break;
    if (n == 1) ScopeWrite(scope, "SEL:CH1 OFF");
  }
  return outcome;
}

}  // namespace

void OffsetZero(ScopeLink& scope, TestRun& test) {
  const RunState& state = test.state;
  auto opening = [&](StopToken) {
    ScopeSetUp(scope, {"DIS:GRA FRA", "MEASU:MEAS1:TYP MEAN;STATE ON", "MEASU:METH MINM", "ACQ:MOD AVE"});
    // A self calibration that just passed in this sequence already had the inputs free.
    bool inputsKnownFree = state.FullSeqRunning && state.SelfCalDone;
    if (!IsAuto(state.AutoMode) && !inputsKnownFree) test.frame.TestPrompt("Disconnect all input signals.", kOkCancel);
  };
  // Nothing was connected, so no reminder to disconnect.
  test.frame.Run(kTestOffsetZero, {kLabel, opening, [&](StopToken stop) { return Measure(scope, test, stop); },
                                   InputsConnected::No});
}

}  // namespace veridane
