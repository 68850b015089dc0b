#include "pv/procedures/offset_at_zero.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/numbers.h"
#include "report/format.h"

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

std::string OffsetRow(int16_t channel, const OffsetStep& step, float reading, int16_t& stepFailed) {
  return " " + ChannelName(channel) + FormatValue(step.scale, "V", 14) + "/div" + std::string(11, ' ') +
         LastChars(" \xB1" + FormatValue(step.limit, ";V", 103), 8) + FormatValue(reading, "V", 1103) +
         std::string(11, ' ') + JudgeResult(0, -step.limit, 0, reading, stepFailed);
}

}  // namespace

void OffsetZero(PvContext& pv) {
  RunState& state = pv.state;
  state.CurrentTest = kTestOffsetZero;
  pv.frame.BeginTest(kLabel);

  for (std::string_view command : {"DIS:GRA FRA", "MEASU:MEAS1:TYP MEAN;STATE ON", "MEASU:METH MINM", "ACQ:MOD AVE"})
    ScopeWrite(pv, command);
  pv.scopeControl.WaitOPC(13);

  // A self calibration that just passed in this sequence already had the inputs free.
  bool inputsKnownFree = state.FullSeqRunning && state.SelfCalDone;
  if (state.AutoMode == 0 && !inputsKnownFree) pv.frame.TestPrompt("Disconnect all input signals.", kOkCancel);
  if (state.AbortFlag) {
    pv.frame.EndOfTest(-kTestOffsetZero, 1);
    return;
  }

  int16_t testStatus = 0;
  for (int16_t n = 1; n <= 2; ++n) {
    const std::string channel = "CH" + std::to_string(n);
    if (n == 2) {
      ScopeWrite(pv, "SEL:CH2 ON");
      ScopeWrite(pv, "MEASU:MEAS1:SOU CH2;STATE ON");
      pv.display.PrintScreen("");
    }
    for (size_t i = 0; i < kSteps.size() && !state.AbortFlag; ++i) {
      const OffsetStep& step = kSteps[i];
      ScopeWrite(pv, channel + ":SCA" + PlainText(step.scale));
      pv.bus.Wait(4);
      double raw = ReadMeasurement(pv);
      // Ten divisions: a certain FAIL that still shows where the scale was.
      const bool measurable = std::fabs(raw) <= kNoMeasurement;
      float reading = measurable ? static_cast<float>(raw) : 10 * step.scale;

      int16_t stepFailed = 0;
      std::string row = OffsetRow(n, step, reading, stepFailed);
      if (n == 1 && i == 0) pv.display.PrintFirst(kLabel, kHeader);
      pv.display.PrintResult(row, TwoSidedRow(ScaleStep(channel, step.scale), "V", 0, -step.limit,
                                              measurable ? std::optional<float>(reading) : std::nullopt,
                                              TrailingJudgement(row)));
      if (stepFailed != 0) testStatus = -1;
    }
    if (state.AbortFlag) break;
    if (n == 1) ScopeWrite(pv, "SEL:CH1 OFF");
  }
  // Negative: nothing was connected, so no reminder to disconnect.
  pv.frame.EndOfTest(-kTestOffsetZero, testStatus);
}

}  // namespace veridane
