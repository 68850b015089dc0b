#include "pv/procedures/sample_rate.h"

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "instruments/scanners.h"
#include "platform/numbers.h"
#include "pv/frame/result_row.h"
#include "pv/procedures/set_signal.h"
#include "report/format.h"

namespace veridane {

namespace {

constexpr std::string_view kLabel = "TEST T/B / 1 of 1";
constexpr std::string_view kHeader =
    "MAIN SCALE DLY'D SCALE    DELAY           LIMIT            MEASURED    PASS/FAIL";
constexpr std::string_view kStep = " 1 ms/div  500 ns/div  10.00000 ms  \xB1" "1000 ns/\xB1" "100 ppm";
constexpr std::string_view kNotMeasurable = "    NOT MEASURABLE         FAIL";

// The marker rate, 100 Hz, in MHz; the technician adjusts it by hand within 10 %.
constexpr float kMarkerRateMHz = 0.0001f;
constexpr float kWindowMicroseconds = 2.0f;
// The fine scan's step: the edge lies within one step before the position it stops at.
constexpr double kScanStepSeconds = 10E-9;

class ScopeCursor : public CursorProbe {
 public:
  explicit ScopeCursor(ScopeLink& scope) : scope_(scope) {}
  float LevelAt(const std::string& positionText) override {
    ScopeWrite(scope_, "CURS:VBA:POSITION2 " + positionText + "E-6");
    scope_.bus.Wait(std::chrono::milliseconds(500));
    return static_cast<float>(NumericValue(scope_.bus.GpibQuery(scope_.Device(), "CURSOR:PAI:HPOS2?")));
  }

 private:
  ScopeLink& scope_;
};

float Query(ScopeLink& scope, std::string_view query) {
  return static_cast<float>(NumericValue(scope.bus.GpibQuery(scope.Device(), query)));
}

// The position the cursor was given: the step as its command text rounds it. Single-precision
// steps drift a few millionths off the 0.01 µs grid, which must not turn a reading shown as
// 1000 ns into a FAIL.
float SentPosition(float y) { return static_cast<float>(std::lround(static_cast<double>(y) * 100)) / 100.0f; }

}  // namespace

StepResult SampleRateResult(float y) {
  const std::optional<float> error = std::fabs(y) > kWindowMicroseconds ? std::nullopt : std::optional<float>(y);
  // Judged in µs against ±1 µs, as the row shows it; the store keeps seconds.
  StepResult result = MakeStepResult("Delay 10 ms", "s", Judge(0, -1, JudgeMode::TwoSided, error), error);
  result.text = std::string(kStep) + (error ? FormatValue(y * 1E-6f, "s", 303) + "/" + FormatDigits(100 * y, 103) +
                                                  " ppm " + std::string(VerdictText(result.verdict))
                                            : std::string(kNotMeasurable));
  return Scaled(std::move(result), 1E-6);
}

float ScanForMidLevel(CursorProbe& probe, float mid) {
  float x = -2.0f;
  for (; x <= 2.2f; x += 0.2f)
    if (probe.LevelAt(FormatDigits(x, 1.1f)) >= mid) break;
  float y = x - 0.2f;
  for (; y <= kWindowMicroseconds; y += 0.01f)
    if (probe.LevelAt(FormatDigits(y, 1.2f)) >= mid) return SentPosition(y);
  // Nothing inside the window: y has run past its end (or started past it).
  return y;
}

namespace {

// The set-up and the marker generator's connection to CH1.
void OpenDelay(ScopeLink& scope, BenchParts& bench, TestRun& test, StopToken stop) {
  const RunState& state = test.state;
  const bool autoMode = IsAuto(state.AutoMode);
  ScopeSetUp(scope, {"DIS:GRA FRA", autoMode ? "CH1:SCA .2;POS -2.5" : "CH1:SCA .5;POS -1.5", "HOR:MAI:SCA 2.5E-3",
                     "TRIG:MAI:LEV .5"});

  if (autoMode) {
    if (!state.FullSeqRunning) test.frame.TestPrompt("Insert a 50 ohm termination in the path to CH1 input.", kOkCancel);
    if (!stop.Raised()) {
      bench.scanners.SetRoute("CGTR,CH1");
      scope.bus.GpibWrite(bench.roles.TimeMarkDevice, "MODE MKRS;U/D 10E-3");
      scope.bus.Wait(std::chrono::seconds(1));
    }
  } else {
    test.frame.TestPrompt("Connect the a Time Mark Generator to CH 1 through a 50 ohm termination.\r\nSet it to 10 ms.",
                        kOkCancel);
  }
}

TestOutcome MeasureDelay(ScopeLink& scope, BenchParts& bench, TestRun& test, SignalParts signal) {
  SetSignal(signal, scope.Device(), kMarkerRateMHz, -10, 0, 0);
  // Stopped while the marker was set: nothing was measured, but the signal is connected.
  if (signal.stop.Raised()) return TestOutcome::Stopped;

  for (std::string_view command :
       {"HOR:MAI:SCA 1E-3", "HOR:TRIG:POS 25", "HOR:POS 25", "CURS:FUNC PAI;VBA:POSITION1 0;POSITION2 0;SELECT CURSOR2",
        "HOR:MOD DELAYE;DEL:SCA 5E-7", "HOR:DEL:TIM 1E-2"})
    ScopeWrite(scope, command);
  scope.control.WaitOPC(DriverTimeout::TenSeconds);
  ScopeWrite(scope, "ACQ:MOD AVE;NUMAV 16");
  scope.bus.Wait(std::chrono::seconds(2));
  ScopeWrite(scope, "ACQ:STATE OFF");  // the averaged record stays put while the cursor walks it

  const float high = Query(scope, "MEASU:IMM:TYP HIGH;VAL?");
  const float low = Query(scope, "MEASU:IMM:TYP LOW;VAL?");
  const float mid = (high + low) * 0.5f;

  // Exit Test is not looked at during the scans: the row is finished and the frame's end of
  // the test reports the stop. The waits let the window respond meanwhile.
  ScopeCursor cursor(scope);
  const float y = ScanForMidLevel(cursor, mid);

  StepResult result = SampleRateResult(y);
  const TestOutcome outcome = Failed(result.verdict) ? TestOutcome::Failed : TestOutcome::Passed;
  test.display.PrintFirst(kLabel, kHeader);
  // The marker period sets the delay; the cursor walk reads it to within one of its 10 ns steps.
  test.frame.Step(std::move(result), {StandardSetting{StandardFunction::TimeMarks, 10E-3, std::nullopt}},
                         {StepReadings{{}, kScanStepSeconds}});

  if (IsAuto(test.state.AutoMode)) CGReset(scope.bus, bench.roles);
  return outcome;
}

}  // namespace

void SampleRate(ScopeLink& scope, BenchParts& bench, Operator& op, TestRun& test) {
  test.frame.Run(kTestSampleRate, {kLabel, [&](StopToken stop) { OpenDelay(scope, bench, test, stop); },
                                   [&](StopToken stop) {
                                     return MeasureDelay(scope, bench, test, {scope, bench.roles, bench.generator, op, stop});
                                   }});
}

}  // namespace veridane
