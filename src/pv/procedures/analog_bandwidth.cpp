#include "pv/procedures/analog_bandwidth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <optional>
#include <utility>
#include <vector>

#include "instruments/sg_models.h"
#include "platform/numbers.h"
#include "pv/procedures/model_bandwidths.h"
#include "pv/procedures/set_signal.h"
#include "pv/frame/result_row.h"
#include "report/format.h"

namespace veridane {

namespace {

constexpr std::string_view kLabel = "Test ACQ / 3 of 3";
constexpr std::string_view kHeader =
    "CHANNEL  VERT SCALE  REF @ 50 kHz  -3 dB        MEASURED         FREQ  PASS/FAIL";
constexpr std::string_view kAttenuatorHint =
    "A hint as you are doing this test manually is to start with two X10 attenuators and one X2.5 attenutor\n"
    "connected between the SG 503/SG 504 output and the scope input. For next step remove the X2.5.\n"
    "Next remove one X10 and insert both the X2.5 and a X2. Next remove the X2 and so on for each step.\n"
    "\n"
    "If done like this, you only have to set the generator amplitude twice per channel. First at 2 mV/div\n"
    "and then at 1 V/div.";

constexpr float kReferenceMHz = 0.05f;

// 2 mV, 5 mV, 10 mV ... 1 V per division.
constexpr std::array<float, 9> kScales{0.002f, 0.005f, 0.01f, 0.02f, 0.05f, 0.1f, 0.2f, 0.5f, 1.0f};

// Six divisions, five above 0.5 V/div.
float StepAmplitude(float scale) { return (scale > 0.5f ? 5 : 6) * scale; }

// Sixteen acquisitions averaged for the reading, then back to sampling.
Measurement AveragedAmplitude(ScopeLink& scope, TestRun& test, float settleSeconds, std::string_view sampleCommand) {
  ScopeWrite(scope, "ACQ:MOD AVE;NUMAV 16");
  scope.bus.Wait(Seconds(settleSeconds));
  const Measurement amplitude = ReadMeasurement(scope, test);
  ScopeWrite(scope, sampleCommand);
  scope.bus.Wait(std::chrono::seconds(1));
  return amplitude;
}

// The dB column; without a positive pair of amplitudes there is no ratio to show.
std::string DecibelText(float measured, float reference) {
  if (!(measured > 0 && reference > 0)) return "  ---";
  return FormatDigits(static_cast<float>(20 * std::log10(static_cast<double>(measured) / reference)), 1.2f);
}

// How far the compensation may lift a level above the one asked for at 50 kHz.
float CompensationRise(const SignalGenerator& generator, Automation mode, const SGModelInfo& model) {
  if (mode != Automation::Full) return 1;
  const float base = generator.compTable[0][0];
  if (!(base > 0)) return 1;
  float rise = 1;
  for (int k = 1; k < model.compPairs && k < static_cast<int>(generator.compTable[0].size()); ++k)
    rise = std::max(rise, generator.compTable[0][static_cast<size_t>(k)] / base);
  return rise;
}

}  // namespace

float DeliverableLevel(const InstrumentRoles& roles, const SignalGenerator& generator, Automation mode, float wanted) {
  if (roles.SGDevice == 0) return wanted;  // the technician's own generator
  const SGModelInfo* model = FindSGModel(roles.SGModel);
  if (model == nullptr) return wanted;
  const float rise = CompensationRise(generator, mode, *model);
  auto fits = [&](float pp) {
    const float level = pp * rise;
    return (model->limitIsRms ? level / std::sqrt(8.0f) : level) <= model->levelLimit;
  };
  if (fits(wanted)) return wanted;
  float best = 0;
  for (const AttenuationStep& step : model->ladder)
    if (step.nominal < wanted && fits(step.nominal)) best = std::max(best, step.nominal);
  return best > 0 ? best : wanted;
}

StepResult BandwidthResult(int16_t channel, float scale, std::optional<float> referenceRead,
                           std::optional<float> measured, float frequencyMHz) {
  const float reference = referenceRead.value_or(0);
  StepResult result = MakeStepResult(ScaleStep("CH" + std::to_string(channel), scale), "V",
                                     Judge(reference, 30, JudgeMode::LowerLimit, measured), measured);
  // Without a reference there was no signal at 50 kHz: nothing was shown to pass.
  if (!(reference > 0) && !Failed(result.verdict)) result.verdict = Verdict::Fail;
  // No reading keeps the width the cell had when it showed 0 V in its place.
  const std::string measuredCell =
      measured ? FormatValue(*measured, "V", 404) : NoReadingCell(FormatValue(0, "V", 404).size());
  result.text = " " + ChannelName(channel) + FormatValue(scale, "V", 7) + "/div" + FormatValue(reference, "V", 504) +
                FormatValue(0.708f * reference, "V", 404) + measuredCell + "/" +
                DecibelText(measured.value_or(0), reference) + " dB" +
                FormatValue(frequencyMHz * 1000000.0f, "Hz", 5) + "  " + std::string(VerdictText(result.verdict));
  return result;
}

namespace {

TestOutcome MeasureBandwidth(ScopeLink& scope, BenchParts& bench, TestRun& test, SignalParts signal,
                             const ModelBandwidth& model) {
  const RunState& state = test.state;
  StopToken stop = signal.stop;
  const bool autoMode = IsAuto(state.AutoMode);
  TestOutcome outcome = TestOutcome::Passed;
  bool stoppedAtFirstStep = false;
  float reduction = 0;
  for (int16_t n = 1; n <= 2; ++n) {
    const std::string channel = "CH" + std::to_string(n);
    if (n == 1) {
      if (bench.roles.SGDevice == 0) test.frame.TestPrompt(kAttenuatorHint, kOkOnly);
    } else {
      for (std::string_view command :
           {"SEL:CH2 ON", "TRIG:MAI:EDGE:SOU CH2;COUP NOISE", "TRIG:MAI:LEV 0", "MEASU:MEAS1:SOU CH2;STATE ON"})
        ScopeWrite(scope, command);
      scope.control.WaitOPC(DriverTimeout::TenSeconds);
      if (autoMode)
        bench.scanners.SetRoute("SG,CH2");
      else
        test.frame.TestPrompt("Move the signal (including the 50 ohm termination) to CH 2.", kOkCancel);
      if (stop.Raised()) break;
    }

    for (size_t i = 0; i < kScales.size(); ++i) {
      const float scale = kScales[i];
      const bool lowest = i == 0;
      stoppedAtFirstStep = n == 1 && lowest;
      const float amplitude = DeliverableLevel(bench.roles, bench.generator, state.AutoMode, StepAmplitude(scale));
      ScopeWrite(scope, channel + ":SCA" + PlainText(scale));
      ScopeWrite(scope, "HOR:MAI:SCA 10E-6");
      if (bench.generator.SetSG(SignalSetting::Both(kReferenceMHz, amplitude)) == Setting::Cancelled) stop.Raise();
      if (stop.Raised()) break;
      // Auto mode trusts the compensated generator for the level; by hand the scope checks it.
      if (autoMode)
        SetSignal(signal, scope.Device(), kReferenceMHz, 10, 0, 0);
      else
        SetSignal(signal, scope.Device(), kReferenceMHz, 10, amplitude, 3);
      if (stop.Raised()) break;

      const std::optional<float> reference = AveragedAmplitude(scope, test, 3, "ACQ:MOD SAM").Single();

      ScopeWrite(scope, "HOR:MAI:SEC " + std::string(model.timebase));
      if (lowest) {
        ScopeWrite(scope, "TRIG:MAI:EDGE:COUP DC");
        reduction = model.reductionAt2mV;
      } else if (i == 1) {
        reduction = 0;
      }
      const float frequency = model.bandwidth - reduction;
      if (bench.generator.SetSG(SignalSetting::Frequency(frequency)) == Setting::Cancelled) stop.Raise();
      if (stop.Raised()) break;
      SetSignal(signal, scope.Device(), frequency, 3, 0, 0);
      if (stop.Raised()) break;

      const Measurement reading = AveragedAmplitude(scope, test, 2, "ACQ:MOD SAMP");
      const std::optional<float> measured = reading.Single();

      StepResult result = BandwidthResult(n, scale, reference, measured, frequency);
      if (lowest) {
        if (n == 1)
          test.display.PrintFirst(kLabel, kHeader);
        else
          test.display.PrintScreen("");
      }
      if (Failed(result.verdict)) outcome = TestOutcome::Failed;
      // The reading sees the generator's error through the scope's response at the frequency.
      const double response = amplitude > 0 && measured && *measured > 0 ? static_cast<double>(*measured) / amplitude : 1.0;
      std::vector<StandardSetting> standards{
          StandardSetting{StandardFunction::AcAmplitude, amplitude, frequency * 1e6, response}};
      // A generator on the bus reaches the scope through the attenuator, whose error the reading sees as well.
      if (bench.roles.SGDevice != 0 && bench.roles.AttenuatorDevice != 0)
        standards.push_back(AttenuatorSetting(bench.generator.state.lastAttenuation, frequency * 1e6, measured.value_or(0)));
      test.frame.Step(std::move(result), std::move(standards), ReadingsOf(reading));
      if (stop.Raised()) break;
    }

    bench.generator.SGReset();
    if (stop.Raised()) break;
    if (n == 1) ScopeWrite(scope, "SEL:CH1 OFF");
  }

  if (stop.Raised() && stoppedAtFirstStep) outcome = TestOutcome::Stopped;
  return outcome;
}

}  // namespace

void Bandwidth(ScopeLink& scope, BenchParts& bench, Operator& op, TestRun& test) {
  // Start-up accepts only the models of the table.
  const ModelBandwidth* model = FindModelBandwidth(scope.identity.ScopeModelCode);
  if (model == nullptr) return;
  bench.generator.SGReset();
  auto opening = [&](StopToken stop) {
    ScopeSetUp(scope, {"DIS:GRA FRA", "HOR:TRIG:POS 30", "TRIG:MAI:EDGE:COUP NOISE", "MEASU:MEAS1:TYP PK2;STATE ON",
                       "MEASU:METH MINM"});
    if (IsAuto(test.state.AutoMode)) {
      test.frame.TestPrompt("Insert a 50 ohm termination in the path to all scope inputs (including EXT TRIG).", kOkCancel);
      if (!stop.Raised()) bench.scanners.SetRoute("SG,CH1");
    } else {
      test.frame.TestPrompt("Connect the " + bench.roles.SGName + " to CH 1 trough a 50 ohm termination.", kOkCancel);
    }
  };
  test.frame.Run(kTestBandwidth, {kLabel, opening, [&](StopToken stop) {
                                    return MeasureBandwidth(scope, bench, test, {scope, bench.roles, bench.generator, op, stop},
                                                            *model);
                                  }});
}

}  // namespace veridane
