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
  explicit ScopeTrigger(PvContext& pv) : pv_(pv) {}
  void SetLevel(int millivolts) override { ScopeWrite(pv_, "TRIG:MAI:LEV " + PlainText(millivolts) + "E-3"); }
  void Wait(double seconds) override { pv_.bus.Wait(seconds); }
  std::string TriggerState() override { return pv_.bus.GpibQuery(pv_.scope.ScopeDevice, "TRIG:STATE?"); }
  bool Aborted() override { return pv_.state.AbortFlag; }

 private:
  PvContext& pv_;
};

bool Triggered(std::string_view reply) { return reply.find("TR") != std::string_view::npos; }

// Where the test stands; everything below the connection prompt works on it.
struct TriggerRun {
  PvContext& pv;
  const ModelBandwidth& model;
  int amplitude = 500;  // mV p-p
  SlopeLevels levels{};
  TestOutcome outcome = TestOutcome::Passed;
  bool linesShown = false;

  bool Aborted() const { return pv.state.AbortFlag; }
  bool AutoMode() const { return IsAuto(pv.state.AutoMode); }
  std::string Timebase() const { return "HOR:MAI:SEC " + std::string(model.timebase); }

  bool PrepareSource(int16_t source);
  void MeasureSlope(int16_t source, int slope);
};

bool TriggerRun::PrepareSource(int16_t source) {
  ScopeWrite(pv, "TRIG:MAI:EDGE:SLO RIS");
  if (source == 2) {
    for (std::string_view command : {"SEL:CH1 OFF;CH2 ON", "TRIG:MAI:EDGE:SOU CH2",
                                     "MEASU:MEAS1:TYP PK2;SOURCE1 CH2;STATE 1", "MEASU:MEAS2:TYP FREQ;SOURCE1 CH2;STATE 1"})
      ScopeWrite(pv, command);
    if (AutoMode())
      pv.scanners.SetRoute("SG,CH2");
    else
      pv.frame.TestPrompt("Move the signal (including the 50 ohm termination) to CH 2.", kOkCancel);
    if (Aborted()) return false;
  }

  if (source == kExt10) {
    amplitude = 1500;
    const float volts = 1.5f;
    if (AutoMode()) {
      pv.scanners.SetRoute("SG,AUXTR");
      pv.generator.SetSG(model.bandwidth, volts);
    } else {
      // The trigger input shows no waveform: the level is checked at 50 kHz on CH2 first.
      ScopeWrite(pv, "HOR:MAI:SEC 5E-6");
      pv.generator.SetSG(0.05f, volts);
      if (Aborted()) return false;
      SetSignal(pv, pv.scope.ScopeDevice, 0.05f, 5, volts, 5);
      if (Aborted()) return false;
      ScopeWrite(pv, Timebase());
      pv.generator.SetSG(model.bandwidth, 0);
      if (Aborted()) return false;
      pv.frame.TestPrompt("Move the signal (including the 50 ohm termination) to EXT TRIG.", kOkCancel);
      if (Aborted()) return false;
    }
    ScopeWrite(pv, "TRIG:MAI:EDGE:SOU EXT10");
    return !Aborted();
  }

  pv.generator.SetSGOnScope(-model.bandwidth, 0.5f);
  if (Aborted()) return false;
  const int16_t scope = pv.scope.ScopeDevice;
  SetSignal(pv, static_cast<int16_t>(-scope), model.bandwidth, 5, 0, 0);
  ScopeWrite(pv, source == 1 ? "CH1:SCA .5" : "CH2:SCA .5");
  ScopeWrite(pv, "TRIG:MAI SETL");
  SetSignal(pv, scope, 0, 0, 0.5f, 5);
  return !Aborted();
}

void TriggerRun::MeasureSlope(int16_t source, int slope) {
  if (slope == 1) ScopeWrite(pv, "TRIG:MAI:EDGE:SLO FALL");
  ScopeTrigger probe(pv);
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
      pv.display.PrintFirst(kLabel, kHeader);
    else
      pv.display.PrintScreen("");
  }
  StepResult result = TriggerResult(source, model.bandwidth, slope == 0, levels);
  if (Failed(result.verdict)) outcome = TestOutcome::Failed;
  pv.display.PrintResult(std::move(result));
  linesShown = true;

  if (slope == 1) {
    // Back to the middle of the rising-slope levels, where the next source's set-up triggers.
    const float middle = (static_cast<float>(levels.above) + static_cast<float>(levels.below)) / 2;
    ScopeWrite(pv, "TRIG:MAI:LEV " + Trim(PlainText(middle)) + "E-3");
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
    if (first || found) probe.Wait(1);
    first = false;
    std::string reply = probe.TriggerState();
    // A first trigger must still be there a second later: one seen only once was noise.
    if (Triggered(reply) && !found) {
      probe.Wait(1);
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
  StepResult result = MakeStepResult(step + (rising ? " +" : " -"), "sides", Judge(2, 0, 1, sides), sides);
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

void Trigger(PvContext& pv) {
  RunState& state = pv.state;
  // Start-up accepts only the models of the table.
  const ModelBandwidth* model = FindModelBandwidth(pv.scope.ScopeModelCode);
  if (model == nullptr) return;
  state.CurrentTest = kTestTrigger;
  pv.frame.BeginTest(kLabel);
  pv.generator.SGReset();

  TriggerRun run{pv, *model};
  for (std::string_view command :
       {"DIS:GRA FRA", "TRIG:MAI:MOD NORM", "ACQ:NUMAV 4", "MEASU:METH MINM", "CH1:SCA .1", "CH2:SCA .1"})
    ScopeWrite(pv, command);
  ScopeWrite(pv, run.Timebase());
  pv.scopeControl.WaitOPC(13);

  if (run.AutoMode()) {
    if (!state.FullSeqRunning)
      pv.frame.TestPrompt("Insert a 50 ohm termination in the path to all scope inputs.", kOkCancel);
  } else {
    pv.frame.TestPrompt("Connect the " + pv.roles.SGName + " through a 50 ohm termination to CH 1.", kOkCancel);
  }
  if (state.AbortFlag) {
    pv.frame.EndTest(kTestTrigger, TestOutcome::Stopped, InputsConnected::No);
    return;
  }
  if (run.AutoMode()) {
    pv.scanners.SetRoute("SG,CH1");
  } else {
    ScopeWrite(pv, "MEASU:MEAS1:TYP PK2;SOURCE1 CH1;STATE 1");
    ScopeWrite(pv, "MEASU:MEAS2:TYP FREQ;SOURCE1 CH1;STATE 1");
  }

  for (int16_t source : kSources) {
    if (state.AbortFlag || !run.PrepareSource(source)) break;
    run.MeasureSlope(source, 0);
    if (state.AbortFlag) break;
    run.MeasureSlope(source, 1);
    if (state.AbortFlag) break;
    if (source != kExt10) pv.generator.SGReset();
  }

  pv.generator.SGReset();
  // Stopped before the first row: nothing was measured. The signal is connected by then, so
  // the reminder to disconnect it stays.
  if (state.AbortFlag && !run.linesShown) run.outcome = TestOutcome::Stopped;
  pv.frame.EndTest(kTestTrigger, run.outcome, InputsConnected::Yes);
}

}  // namespace veridane
