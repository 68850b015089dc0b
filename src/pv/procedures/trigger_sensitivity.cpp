#include "pv/procedures/trigger_sensitivity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <utility>

#include "platform/numbers.h"
#include "platform/text8.h"
#include "pv/frame/result_row.h"
#include "pv/procedures/model_bandwidths.h"
#include "pv/procedures/set_signal.h"
#include "report/format.h"

namespace veridane {

namespace {

constexpr std::string_view kLabel = "Test Trig / 1 of 1";
constexpr std::string_view kHeader =
    "SOURCE      AMPLITUDE     FREQUENCY     SLOPE      TRIG'D @ LEVEL      PASS/FAIL";
constexpr std::string_view kNotTriggered = "          NOT TRIG'D    ";
constexpr size_t kLevelsWidth = kNotTriggered.size();

constexpr int16_t kExt10 = 4;
constexpr std::array<int16_t, 3> kSources{1, 2, kExt10};  // EXT without its divider is never tested

constexpr int kStepMillivolts = 10;
constexpr int kBackOffSteps = 5;
// The sweeps start 0.6 amplitudes out: ±300 mV for the channels' 0.5 V, ±900 mV for EXT/10's
// 1.5 V. Worked in whole millivolts, so that every level sent is an exact multiple of the step.
int SweepRange(int amplitudeMillivolts) { return amplitudeMillivolts * 6 / 10; }

class ScopeTrigger : public TriggerProbe {
 public:
  ScopeTrigger(ScopeLink& scope, StopToken stop) : scope_(scope), stop_(stop) {}
  void SetLevel(int millivolts) override { ScopeWrite(scope_, "TRIG:MAI:LEV " + PlainText(millivolts) + "E-3"); }
  void Wait(Seconds time) override { scope_.bus.Wait(time); }
  std::string TriggerState() override { return scope_.bus.GpibQuery(scope_.Device(), "TRIG:STATE?"); }
  bool Aborted() override { return stop_.Raised(); }

 private:
  ScopeLink& scope_;
  StopToken stop_;
};

bool Triggered(std::string_view reply) { return reply.find("TR") != std::string_view::npos; }

// Where the test stands; everything below the connection prompt works on it.
struct TriggerRun {
  ScopeLink& scope;
  BenchParts& bench;
  TestRun& test;
  SignalParts signal;
  const ModelBandwidth& model;
  int amplitude = 500;  // mV p-p
  SlopeLevels levels{};
  TestOutcome outcome = TestOutcome::Passed;
  bool linesShown = false;

  bool Aborted() const { return signal.stop.Raised(); }
  bool AutoMode() const { return IsAuto(test.state.AutoMode); }
  std::string Timebase() const { return "HOR:MAI:SEC " + std::string(model.timebase); }

  bool PrepareSource(int16_t source);
  void MeasureSlope(int16_t source, int slope);
  TestOutcome Measure();
};

TestOutcome TriggerRun::Measure() {
  if (AutoMode()) {
    bench.scanners.SetRoute("SG,CH1");
  } else {
    ScopeWrite(scope, "MEASU:MEAS1:TYP PK2;SOURCE1 CH1;STATE 1");
    ScopeWrite(scope, "MEASU:MEAS2:TYP FREQ;SOURCE1 CH1;STATE 1");
  }

  for (int16_t source : kSources) {
    if (Aborted() || !PrepareSource(source)) break;
    MeasureSlope(source, 0);
    if (Aborted()) break;
    MeasureSlope(source, 1);
    if (Aborted()) break;
    if (source != kExt10) bench.generator.SGReset();
  }

  bench.generator.SGReset();
  // Stopped before the first row: nothing was measured. The signal is connected by then, so
  // the reminder to disconnect it stays.
  if (Aborted() && !linesShown) outcome = TestOutcome::Stopped;
  return outcome;
}

bool TriggerRun::PrepareSource(int16_t source) {
  ScopeWrite(scope, "TRIG:MAI:EDGE:SLO RIS");
  if (source == 2) {
    for (std::string_view command : {"SEL:CH1 OFF;CH2 ON", "TRIG:MAI:EDGE:SOU CH2",
                                     "MEASU:MEAS1:TYP PK2;SOURCE1 CH2;STATE 1", "MEASU:MEAS2:TYP FREQ;SOURCE1 CH2;STATE 1"})
      ScopeWrite(scope, command);
    if (AutoMode())
      bench.scanners.SetRoute("SG,CH2");
    else
      test.frame.TestPrompt("Move the signal (including the 50 ohm termination) to CH 2.", kOkCancel);
    if (Aborted()) return false;
  }

  if (source == kExt10) {
    amplitude = 1500;
    const float volts = 1.5f;
    if (AutoMode()) {
      bench.scanners.SetRoute("SG,AUXTR");
      if (bench.generator.SetSG(SignalSetting::Both(model.bandwidth, volts)) == Setting::Cancelled) signal.stop.Raise();
    } else {
      // The trigger input shows no waveform: the level is checked at 50 kHz on CH2 first.
      ScopeWrite(scope, "HOR:MAI:SEC 5E-6");
      if (bench.generator.SetSG(SignalSetting::Both(0.05f, volts)) == Setting::Cancelled) signal.stop.Raise();
      if (Aborted()) return false;
      SetSignal(signal, scope.Device(), 0.05f, 5, volts, 5);
      if (Aborted()) return false;
      ScopeWrite(scope, Timebase());
      if (bench.generator.SetSG(SignalSetting::Frequency(model.bandwidth)) == Setting::Cancelled) signal.stop.Raise();
      if (Aborted()) return false;
      test.frame.TestPrompt("Move the signal (including the 50 ohm termination) to EXT TRIG.", kOkCancel);
      if (Aborted()) return false;
    }
    ScopeWrite(scope, "TRIG:MAI:EDGE:SOU EXT10");
    return !Aborted();
  }

  if (bench.generator.SetSGOnScope(SignalSetting::Both(model.bandwidth, 0.5f).Direct()) == Setting::Cancelled) signal.stop.Raise();
  if (Aborted()) return false;
  const int16_t device = scope.Device();
  SetSignal(signal, static_cast<int16_t>(-device), model.bandwidth, 5, 0, 0);
  ScopeWrite(scope, source == 1 ? "CH1:SCA .5" : "CH2:SCA .5");
  ScopeWrite(scope, "TRIG:MAI SETL");
  SetSignal(signal, device, 0, 0, 0.5f, 5);
  return !Aborted();
}

void TriggerRun::MeasureSlope(int16_t source, int slope) {
  if (slope == 1) ScopeWrite(scope, "TRIG:MAI:EDGE:SLO FALL");
  ScopeTrigger probe(scope, signal.stop);
  levels.sides = 0;
  for (int side : {-1, +1}) {
    const std::optional<int> found = SweepSide(probe, side, SweepRange(amplitude));
    if (found) {
      ++levels.sides;
      (side < 0 ? levels.below : levels.above) = *found;
    }
    if (Aborted()) return;  // an interrupted slope shows no line
  }

  if (slope == 0) {
    if (source == 1)
      test.display.PrintFirst(kLabel, kHeader);
    else
      test.display.PrintScreen("");
  }
  StepResult result = TriggerResult(source, model.bandwidth, slope == 0, levels);
  if (Failed(result.verdict)) outcome = TestOutcome::Failed;
  test.frame.Step(std::move(result));
  linesShown = true;

  if (slope == 1) {
    // Back to the middle of the rising-slope levels, where the next source's set-up triggers.
    const float middle = (static_cast<float>(levels.above) + static_cast<float>(levels.below)) / 2;
    ScopeWrite(scope, "TRIG:MAI:LEV " + Trim(PlainText(middle)) + "E-3");
  }
}

}  // namespace

std::optional<int> SweepSide(TriggerProbe& probe, int side, int rangeMillivolts) {
  const int step = -side * kStepMillivolts;
  const int end = -side * rangeMillivolts;
  bool found = false;
  bool first = true;
  for (int level = side * rangeMillivolts; (level - end) * step <= 0; level += step) {
    probe.SetLevel(level);
    if (first || found) probe.Wait(std::chrono::seconds(1));
    first = false;
    std::string reply = probe.TriggerState();
    // A first trigger must still be there a second later: one seen only once was noise.
    if (Triggered(reply) && !found) {
      probe.Wait(std::chrono::seconds(1));
      reply = probe.TriggerState();
    }
    if (Triggered(reply)) {
      if (found) return level;
      found = true;
      level += side * kBackOffSteps * kStepMillivolts;
    } else if (probe.Aborted()) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

StepResult TriggerResult(int16_t source, float frequencyMHz, bool rising, const SlopeLevels& levels) {
  // The store keeps how many sides of the sweep triggered: both are needed.
  std::string step = ChannelName(source);  // "CH1 +", as the other tests name their channels
  step.erase(std::remove(step.begin(), step.end(), ' '), step.end());
  const auto sides = static_cast<float>(levels.sides);
  StepResult result = MakeStepResult(step + (rising ? " +" : " -"), "sides", Judge(2, 0, JudgeMode::UpperLimit, sides), sides);
  std::string row = (" " + ChannelName(source) + std::string(13, ' ')).substr(0, 13);
  row += source == kExt10 ? " 1.5 V " : "1.0 div";
  row += FormatDigits(frequencyMHz, 10) + " MHz";
  row += std::string(8, ' ') + (rising ? "+" : "-");
  if (levels.sides == 2) {
    std::string found = FormatDigits(static_cast<float>(levels.below), 11) + " mV - " +
                        FormatDigits(static_cast<float>(levels.above), 2) + " mV";
    // A short level from above is made up with blanks after it, so every row keeps its width.
    if (found.size() < kLevelsWidth) found.append(kLevelsWidth - found.size(), ' ');
    row += found;
  } else {
    row += kNotTriggered;
  }
  result.text = row + std::string(6, ' ') + std::string(VerdictText(result.verdict));
  return result;
}

void Trigger(ScopeLink& scope, BenchParts& bench, Operator& op, TestRun& test) {
  const RunState& state = test.state;
  // Start-up accepts only the models of the table.
  const ModelBandwidth* model = FindModelBandwidth(scope.identity.ScopeModelCode);
  if (model == nullptr) return;
  auto opening = [&](StopToken) {
    bench.generator.SGReset();
    ScopeSetUp(scope, {"DIS:GRA FRA", "TRIG:MAI:MOD NORM", "ACQ:NUMAV 4", "MEASU:METH MINM", "CH1:SCA .1", "CH2:SCA .1",
                       "HOR:MAI:SEC " + std::string(model->timebase)});
    if (IsAuto(state.AutoMode)) {
      if (!state.FullSeqRunning)
        test.frame.TestPrompt("Insert a 50 ohm termination in the path to all scope inputs.", kOkCancel);
    } else {
      test.frame.TestPrompt("Connect the " + bench.roles.SGName + " through a 50 ohm termination to CH 1.", kOkCancel);
    }
  };
  auto measuring = [&](StopToken stop) {
    TriggerRun run{scope, bench, test, {scope, bench.roles, bench.generator, op, stop}, *model};
    return run.Measure();
  };
  test.frame.Run(kTestTrigger, {kLabel, opening, measuring});
}

}  // namespace veridane
