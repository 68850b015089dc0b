#include "sim/technician/bench_hands.h"

#include <cmath>

#include "platform/numbers.h"
#include "platform/text8.h"
#include "sim/technician/scope_screen.h"

namespace veridane::sim {

namespace {

constexpr ScopeInput kInputs[] = {ScopeInput::Ch1, ScopeInput::Ch2, ScopeInput::ExtTrig};

// The 1-2-5 step nearest to a period (on a logarithmic scale), as the stepped switch of a
// time-mark generator offers.
double NearestMarkerStep(double seconds) {
  double exponent = std::floor(std::log10(seconds));
  double decade = std::pow(10.0, exponent);
  double mantissa = seconds / decade;
  double best = 1;
  for (double step : {1.0, 2.0, 5.0, 10.0}) {
    if (std::fabs(std::log(mantissa / step)) < std::fabs(std::log(mantissa / best))) best = step;
  }
  return best * decade;
}

// Always a blank before the number, also before a minus sign, so the transcript reads well.
std::string Number(double value) { return " " + Trim(PlainText(value)); }

int ChannelNumber(ScopeInput input) { return input == ScopeInput::Ch1 ? 1 : input == ScopeInput::Ch2 ? 2 : 0; }

}  // namespace

std::string DescribeInput(ScopeInput input) {
  switch (input) {
    case ScopeInput::Ch1: return "CH 1";
    case ScopeInput::Ch2: return "CH 2";
    case ScopeInput::ExtTrig: return "EXT TRIG";
  }
  return "?";
}

BenchHands::BenchHands(Bench& bench, double knobError, uint32_t seed)
    : bench_(bench), knobError_(std::fabs(knobError)), random_(seed) {}

double BenchHands::WithKnobError(double value) {
  if (knobError_ == 0) return value;
  // Uniform in [-error, +error], computed here so that a seed gives the same run everywhere.
  double unit = static_cast<double>(random_()) / static_cast<double>(std::mt19937::max());
  return value * (1 + (2 * unit - 1) * knobError_);
}

std::optional<ScopeInput> BenchHands::SignalInput() const {
  if (cableInput_ && bench_.Wires().CableAt(*cableInput_)) return cableInput_;
  for (ScopeInput input : kInputs) {
    if (bench_.Wires().CableAt(input)) return input;
  }
  static constexpr const char* kRelayNames[] = {"CH1", "CH2", "AUXTR"};
  for (size_t i = 0; i < 3; ++i) {
    if (bench_.Wires().Joined(kRelayNames[i])) return kInputs[i];
  }
  return std::nullopt;
}

std::string BenchHands::SignalSource() const {
  std::optional<ScopeInput> input = SignalInput();
  if (input) {
    if (std::optional<Cable> cable = bench_.Wires().CableAt(*input)) return cable->source == "ATT" ? "SG" : cable->source;
  }
  for (const char* source : {"SG", "CALIB", "CGTR"}) {
    if (bench_.Wires().Joined(source)) return source;
  }
  return {};
}

std::string BenchHands::Connect(const std::string& source, ScopeInput input, bool terminated) {
  // One cable per instrument: plugging it in somewhere else takes it out of where it was.
  for (ScopeInput other : kInputs) {
    std::optional<Cable> cable = bench_.Wires().CableAt(other);
    if (other != input && cable && cable->source == source) bench_.DisconnectCable(other);
  }
  if (!bench_.ConnectCable(source, input)) throw ActionImpossible("the bench has no source " + source);
  if (terminated) bench_.SetTermination(input, true);
  cableInput_ = input;
  cableSource_ = source;
  return "plugged " + source + " into " + DescribeInput(input) + (terminated ? " through a 50 ohm termination" : "");
}

std::string BenchHands::Move(ScopeInput input, bool withTermination) {
  std::optional<ScopeInput> from = SignalInput();
  std::optional<Cable> cable = from ? bench_.Wires().CableAt(*from) : std::nullopt;
  if (!cable) throw ActionImpossible("no signal cable is plugged in to move");
  if (*from != input) {
    bench_.DisconnectCable(*from);
    if (withTermination) bench_.SetTermination(*from, false);
  }
  if (!bench_.ConnectCable(cable->source, input, cable->ratio)) {
    throw ActionImpossible("the cable from " + cable->source + " cannot be plugged into " + DescribeInput(input));
  }
  if (withTermination) bench_.SetTermination(input, true);
  cableInput_ = input;
  cableSource_ = cable->source;
  return "moved " + cable->source + " from " + DescribeInput(*from) + " to " + DescribeInput(input) +
         (withTermination ? " with its termination" : "");
}

std::string BenchHands::DisconnectAll() {
  bench_.DisconnectAllCables();
  cableInput_.reset();
  cableSource_.clear();
  return "unplugged all input cables";
}

std::string BenchHands::UseSystemCables() {
  DisconnectAll();
  TerminateAll(false);
  return "system cables to CH 1, CH 2 and EXT TRIG, no terminations";
}

std::string BenchHands::Terminate(ScopeInput input) {
  bench_.SetTermination(input, true);
  return "50 ohm termination on " + DescribeInput(input);
}

std::string BenchHands::TerminateAll(bool terminated) {
  for (ScopeInput input : kInputs) bench_.SetTermination(input, terminated);
  return terminated ? "50 ohm terminations on all inputs" : "removed all terminations";
}

double BenchHands::GeneratorHz() const {
  return bench_.Generator() ? bench_.Generator()->FrequencyHz() : bench_.HandGenerator().FrequencyHz();
}

double BenchHands::GeneratorVpp() const {
  return bench_.Generator() ? bench_.Generator()->LevelVpp() : bench_.HandGenerator().Vpp();
}

double BenchHands::MarkerPeriod() const {
  return bench_.TimeMarkGenerator() ? bench_.TimeMarkGenerator()->MarkerPeriod() : bench_.HandTimeMarks().Period();
}

void BenchHands::SetGeneratorVpp(double vpp) {
  if (!bench_.SetManualGeneratorAmplitude(vpp)) {
    throw ActionImpossible("the generator cannot be set to" + Number(vpp) + " V p-p");
  }
}

void BenchHands::SetGeneratorHz(double hz) {
  if (!bench_.SetManualGeneratorFrequency(hz)) throw ActionImpossible("the generator cannot be set to" + Number(hz) + " Hz");
}

double BenchHands::InputGain() const {
  std::optional<ScopeInput> input = SignalInput();
  if (!input) return 1;
  Signal signal = bench_.SignalAt(*input);
  double set = GeneratorVpp();
  if (signal.kind == Signal::Kind::Sine && signal.vpp > 0 && set > 0) return signal.vpp / set;
  // Nothing to compare yet: a 50 ohm source doubles into an open input; hand attenuators divide.
  std::optional<Cable> cable = bench_.Wires().CableAt(*input);
  double ratio = cable ? cable->ratio : 1;
  return (bench_.Wires().Terminated(*input) ? 1.0 : 2.0) / ratio;
}

std::optional<double> BenchHands::ScopeShows(const char* type) const {
  std::optional<ScopeInput> input = SignalInput();
  if (!input || ChannelNumber(*input) == 0) return std::nullopt;
  return ShownMeasurement(bench_.Scope(), type, ChannelNumber(*input));
}

std::string BenchHands::LevelOnScope(double targetVpp) {
  SetGeneratorVpp(targetVpp / InputGain());
  // Turn the knob while watching the scope's reading, as a person does.
  for (int look = 0; look < 3; ++look) {
    std::optional<double> shown = ScopeShows("PK2");
    if (!shown) break;
    double ratio = targetVpp / *shown;
    if (std::fabs(ratio - 1) < 0.002) break;
    SetGeneratorVpp(GeneratorVpp() * ratio);
  }
  SetGeneratorVpp(WithKnobError(GeneratorVpp()));
  return "generator amplitude" + Number(GeneratorVpp()) + " V p-p (for" + Number(targetVpp) + " V p-p on the scope)";
}

std::string BenchHands::SetGenerator(const GeneratorSetting& setting) {
  std::string done;
  if (setting.frequencyHz) {
    SetGeneratorHz(WithKnobError(*setting.frequencyHz));
    done = "generator frequency" + Number(GeneratorHz()) + " Hz";
  }
  if (setting.vpp) {
    if (!done.empty()) done += ", ";
    if (setting.asSeenOnScope) {
      done += LevelOnScope(*setting.vpp);
    } else {
      SetGeneratorVpp(WithKnobError(*setting.vpp));
      done += "generator amplitude" + Number(GeneratorVpp()) + " V p-p";
    }
  }
  return done.empty() ? "generator left as it was" : done;
}

std::string BenchHands::SetCalibratorVolts(double volts) {
  if (!bench_.SetManualCalibrator(volts)) throw ActionImpossible("the calibrator cannot be set to" + Number(volts) + " V");
  return "calibrator" + Number(volts) + " V DC";
}

std::string BenchHands::SetTimeMarks(double periodSeconds) {
  double period = bench_.TimeMarkGenerator() ? NearestMarkerStep(periodSeconds) : periodSeconds;
  if (!bench_.SetManualTimeMarks(period)) throw ActionImpossible("the time marks cannot be set to" + Number(period) + " s");
  return "time marks" + Number(period) + " s";
}

std::string BenchHands::TurnKnob(const KnobInstruction& knob) {
  bool signalWord = knob.subject == "signal";
  std::string source = signalWord ? SignalSource() : std::string("SG");
  if (source.empty()) source = "SG";

  if (knob.quantity == KnobInstruction::Quantity::Frequency) {
    std::optional<double> shown = ScopeShows("FREQ");
    if (source == "CGTR") {
      double period = shown && MarkerPeriod() > 0 ? MarkerPeriod() * *shown / knob.target : 1 / knob.target;
      return SetTimeMarks(period);
    }
    if (source != "SG") throw ActionImpossible("the " + source + " has no frequency knob");
    double hz = shown ? GeneratorHz() * knob.target / *shown : knob.target;
    SetGeneratorHz(WithKnobError(hz));
    return "generator frequency" + Number(GeneratorHz()) + " Hz";
  }

  if (source != "SG") throw ActionImpossible("the " + source + " has no amplitude knob");
  std::optional<double> shown = ScopeShows("PK2");
  double vpp = shown && GeneratorVpp() > 0 ? GeneratorVpp() * knob.target / *shown : knob.target / InputGain();
  SetGeneratorVpp(WithKnobError(vpp));
  return "generator amplitude" + Number(GeneratorVpp()) + " V p-p";
}

}  // namespace veridane::sim
