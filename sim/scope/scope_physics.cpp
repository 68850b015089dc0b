#include "sim/scope/scope_physics.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "sim/scope/command_parser.h"

namespace veridane::sim {

namespace {

constexpr int kRecordPoints = 500;
// An 8-bit digitiser at 25 levels per division spans 10.24 divisions: a little beyond the
// eight on screen. A sample beyond it is clipped and the amplitude readings are void.
constexpr double kDigitiserHalfRange = 5.12;
constexpr double kMarkerEdgeSeconds = 4e-9;
constexpr double kAcCouplingHz = 10;
constexpr double kBandwidthLimitHz = 20e6;
constexpr double kHfRejectHz = 30e3;
constexpr double kLfRejectHz = 80e3;
// FREQ and PERIOD need a trace of some height to find its crossings.
constexpr double kMinimumSwingDivisions = 0.2;
constexpr double kPi = 3.14159265358979323846;

uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Uniform in (0, 1), a pure function of its keys: repeatable whatever the query order.
double Uniform(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
  uint64_t h = Mix(Mix(Mix(Mix(a) ^ b) ^ c) ^ d);
  return (static_cast<double>(h >> 11) + 0.5) / 9007199254740992.0;
}

// Uniform in [-1, 1) for the fixed imperfections of one scope.
double Spread(uint64_t seed, uint64_t key) { return 2 * Uniform(seed, 0x5EED, key, 0) - 1; }

double SecondOrderRollOff(double frequency, double corner) {
  double r = frequency / corner;
  return 1 / std::sqrt(1 + r * r * r * r);
}

double FirstOrderLowPass(double frequency, double corner) {
  double r = frequency / corner;
  return 1 / std::sqrt(1 + r * r);
}

double FirstOrderHighPass(double frequency, double corner) {
  double r = frequency / corner;
  return r / std::sqrt(1 + r * r);
}

bool IsAmplitudeType(MeasureType type) { return type != MeasureType::Frequency && type != MeasureType::Period; }

}  // namespace

ScopePhysics::ScopePhysics(const ScopeConfig& config, InputSignals inputs)
    : config_(config), model_(ScopeModelFor(config.model)), inputs_(std::move(inputs)) {
  for (int ch = 0; ch < 2; ++ch) {
    uint64_t key = 16 * static_cast<uint64_t>(ch);
    errors_[ch].gain = 0.004 * Spread(config.seed, key + 1) + config.channels[ch].gainError;
    errors_[ch].offsetAccuracy = 0.0012 * Spread(config.seed, key + 2);
    errors_[ch].inputOffset = 0.25e-3 * Spread(config.seed, key + 3) + config.channels[ch].offsetErrorVolts;
  }
}

double ScopePhysics::ChannelBandwidth(int channel, double scale) const {
  bool lowestScale = scale < 3e-3;
  double fault = config_.channels[channel - 1].bandwidthHz;
  if (fault > 0) return lowestScale ? fault * model_.bandwidth2mVHz / model_.bandwidthHz : fault;
  return lowestScale ? model_.bandwidth2mVHz : model_.bandwidthHz;
}

Signal ScopePhysics::ChannelInput(const ChannelSettings& channel, int number) const {
  if (channel.coupling == Coupling::Gnd || !inputs_) return Signal{};
  return inputs_(number == 1 ? ScopeInput::Ch1 : ScopeInput::Ch2);
}

double ScopePhysics::AcResponse(const ChannelSettings& channel, int number, double frequencyHz) const {
  double response = SecondOrderRollOff(frequencyHz, ChannelBandwidth(number, channel.scale));
  if (channel.bandwidthLimit) response *= FirstOrderLowPass(frequencyHz, kBandwidthLimitHz);
  if (channel.coupling == Coupling::Ac) response *= FirstOrderHighPass(frequencyHz, kAcCouplingHz);
  return response;
}

// The signal at the input at a real time (s after the trigger event), its AC part scaled.
double ScopePhysics::InputVolts(const Signal& signal, double amplitudeFactor, double t) const {
  switch (signal.kind) {
    case Signal::Kind::None:
      return 0;
    case Signal::Kind::Dc:
      return signal.dcVolts;
    case Signal::Kind::Sine:
      return signal.dcVolts + amplitudeFactor * signal.vpp / 2 * std::sin(2 * kPi * signal.frequencyHz * t);
    case Signal::Kind::TimeMarks: {
      double period = signal.markerPeriodS;
      if (!(period > 0)) return 0;
      // Each marker's edge ends at its instant, so a cursor stepped onto the instant already
      // reads the marker's top: the scan lands on the instant itself.
      double phase = t - std::floor(t / period) * period;
      double level = 0;
      if (phase < period / 2)
        level = 1;
      else if (phase > period - kMarkerEdgeSeconds)
        level = (phase - (period - kMarkerEdgeSeconds)) / kMarkerEdgeSeconds;
      return signal.markerVolts * level;
    }
  }
  return 0;
}

double ScopePhysics::ResidualDivisions(int number, double scale) const {
  auto step = static_cast<int64_t>(std::lround(std::log10(scale) * 3));
  return 0.04 * Spread(config_.seed, 1000 + 64 * static_cast<uint64_t>(number) + static_cast<uint64_t>(step + 32));
}

// The volts the scope displays for a channel at a scope time: the input through the analog
// path, gain and offset errors included.
double ScopePhysics::DisplayedVolts(const ScopeSettings& settings, int number, double scopeSeconds) const {
  const ChannelSettings& channel = settings.channel[number - 1];
  const ChannelErrors& errors = errors_[number - 1];
  Signal signal = ChannelInput(channel, number);
  double realSeconds = scopeSeconds / (1 + config_.timeBasePpm * 1e-6);
  double vin = 0;
  if (signal.kind == Signal::Kind::Sine) {
    double factor = AcResponse(channel, number, signal.frequencyHz);
    if (channel.coupling == Coupling::Ac) signal.dcVolts = 0;
    vin = InputVolts(signal, factor, realSeconds);
  } else {
    vin = InputVolts(signal, 1, realSeconds);
    if (channel.coupling == Coupling::Ac)
      vin -= signal.kind == Signal::Kind::TimeMarks ? signal.markerVolts / 2 : vin;
  }
  return channel.offset + (vin - channel.offset) * (1 + errors.gain) + channel.offset * errors.offsetAccuracy +
         errors.inputOffset + ResidualDivisions(number, channel.scale) * channel.scale;
}

double ScopePhysics::NoiseDivisions(const ScopeSettings& settings) const {
  double sigma = config_.noiseDivisions;
  if (settings.acquire.mode == AcquireMode::Average) sigma /= std::sqrt(std::max(1, settings.acquire.numAverages));
  return sigma;
}

double ScopePhysics::Noise(int number, int index) const {
  double u1 = Uniform(config_.seed, acquisition_, static_cast<uint64_t>(number), 2 * static_cast<uint64_t>(index));
  double u2 = Uniform(config_.seed, acquisition_, static_cast<uint64_t>(number), 2 * static_cast<uint64_t>(index) + 1);
  return std::sqrt(-2 * std::log(u1)) * std::cos(2 * kPi * u2);
}

ScopePhysics::Window ScopePhysics::RecordWindow(const ScopeSettings& settings) const {
  const HorizontalSettings& h = settings.horizontal;
  if (h.mode == HorizontalMode::Delayed) {
    // The delayed window is centred on the delay time, so markers a few microseconds either
    // side of it stay in view.
    double span = 10 * h.delayedScale;
    return {h.delayTime - span / 2, span};
  }
  double span = 10 * h.mainScale;
  return {-span * h.triggerPosition / 100, span};
}

double ScopePhysics::PeriodicFrequency(const ScopeSettings& settings, int number) const {
  const ChannelSettings& channel = settings.channel[number - 1];
  Signal signal = ChannelInput(channel, number);
  double frequency = 0, swing = 0;
  if (signal.kind == Signal::Kind::Sine) {
    frequency = signal.frequencyHz;
    swing = signal.vpp * AcResponse(channel, number, frequency);
  } else if (signal.kind == Signal::Kind::TimeMarks && signal.markerPeriodS > 0) {
    frequency = 1 / signal.markerPeriodS;
    swing = signal.markerVolts;
  }
  swing *= 1 + errors_[number - 1].gain;
  if (!(frequency > 0) || swing / channel.scale < kMinimumSwingDivisions) return 0;
  double scopeFrequency = frequency / (1 + config_.timeBasePpm * 1e-6);
  if (RecordWindow(settings).span * scopeFrequency < 1) return 0;  // not one whole period
  return scopeFrequency;
}

std::vector<double> ScopePhysics::RecordDivisions(const ScopeSettings& settings, int number) const {
  const ChannelSettings& channel = settings.channel[number - 1];
  const Window window = RecordWindow(settings);
  const double sigma = NoiseDivisions(settings);
  std::vector<double> divisions(kCurvePoints);
  for (int i = 0; i < kCurvePoints; ++i) {
    const double t = window.start + window.span * i / kCurvePoints;
    const double d = (DisplayedVolts(settings, number, t) - channel.offset) / channel.scale + channel.position +
                     sigma * Noise(number, i);
    divisions[static_cast<size_t>(i)] = std::clamp(d, -kDigitiserHalfRange, kDigitiserHalfRange);
  }
  return divisions;
}

double ScopePhysics::Measure(const ScopeSettings& settings, MeasureType type, int number) const {
  if (number < 1 || number > 2 || !settings.channel[number - 1].displayed) return kImpossibleMeasurement;
  const ChannelSettings& channel = settings.channel[number - 1];
  Window window = RecordWindow(settings);
  double sigma = NoiseDivisions(settings);
  std::vector<double> volts(kRecordPoints);
  int clipped = 0;
  for (int i = 0; i < kRecordPoints; ++i) {
    double t = window.start + window.span * i / kRecordPoints;
    double divisions = (DisplayedVolts(settings, number, t) - channel.offset) / channel.scale + channel.position +
                       sigma * Noise(number, i);
    if (std::fabs(divisions) > kDigitiserHalfRange) {
      ++clipped;
      divisions = std::clamp(divisions, -kDigitiserHalfRange, kDigitiserHalfRange);
    }
    volts[i] = (divisions - channel.position) * channel.scale + channel.offset;
  }
  if (IsAmplitudeType(type) ? clipped > 0 : clipped == kRecordPoints) return kImpossibleMeasurement;

  auto [minIt, maxIt] = std::minmax_element(volts.begin(), volts.end());
  double low = *minIt, high = *maxIt;
  switch (type) {
    case MeasureType::Amplitude:
      return high - low;
    case MeasureType::Pk2Pk:
      return high - low;
    case MeasureType::High:
    case MeasureType::Maximum:
      return high;
    case MeasureType::Low:
    case MeasureType::Minimum:
      return low;
    case MeasureType::Mean: {
      double sum = 0;
      for (double v : volts) sum += v;
      return sum / kRecordPoints;
    }
    case MeasureType::Rms: {
      double sum = 0;
      for (double v : volts) sum += v * v;
      return std::sqrt(sum / kRecordPoints);
    }
    case MeasureType::Frequency:
    case MeasureType::Period: {
      double frequency = PeriodicFrequency(settings, number);
      if (frequency <= 0) return kImpossibleMeasurement;
      return type == MeasureType::Frequency ? frequency : 1 / frequency;
    }
  }
  return kImpossibleMeasurement;
}

double ScopePhysics::CursorVoltage(const ScopeSettings& settings, int number, double cursorSeconds) const {
  if (number < 1 || number > 2 || !settings.channel[number - 1].displayed) return kImpossibleMeasurement;
  const ChannelSettings& channel = settings.channel[number - 1];
  Window window = RecordWindow(settings);
  double origin = settings.horizontal.mode == HorizontalMode::Delayed ? settings.horizontal.delayTime : 0;
  double t = std::clamp(origin + cursorSeconds, window.start, window.start + window.span);
  auto index = static_cast<int>(std::clamp((t - window.start) / window.span * kRecordPoints, 0.0,
                                           static_cast<double>(kRecordPoints - 1)));
  double divisions = (DisplayedVolts(settings, number, t) - channel.offset) / channel.scale + channel.position +
                     NoiseDivisions(settings) * Noise(number, index);
  if (std::fabs(divisions) > kDigitiserHalfRange) return kImpossibleMeasurement;
  return (divisions - channel.position) * channel.scale + channel.offset;
}

// The lowest and highest volts the trigger comparator sees, after the trigger coupling.
ScopePhysics::Swing ScopePhysics::TriggerSwing(const ScopeSettings& settings) const {
  const TriggerSettings& trigger = settings.trigger;
  Signal signal;
  double acFactor = 1, gain = 1, dcShift = 0;
  if (trigger.source == TriggerSource::Ch1 || trigger.source == TriggerSource::Ch2) {
    int number = trigger.source == TriggerSource::Ch1 ? 1 : 2;
    const ChannelSettings& channel = settings.channel[number - 1];
    signal = ChannelInput(channel, number);
    if (signal.kind == Signal::Kind::Sine) acFactor = AcResponse(channel, number, signal.frequencyHz);
    if (channel.coupling == Coupling::Ac) dcShift = -signal.dcVolts;
    gain = 1 + errors_[number - 1].gain;
  } else if (trigger.source == TriggerSource::Ext || trigger.source == TriggerSource::Ext10) {
    if (inputs_) signal = inputs_(ScopeInput::ExtTrig);
    if (signal.kind == Signal::Kind::Sine) acFactor = SecondOrderRollOff(signal.frequencyHz, model_.extBandwidthHz);
  }

  double centre = 0, half = 0;
  if (signal.kind == Signal::Kind::Dc) {
    centre = signal.dcVolts;
  } else if (signal.kind == Signal::Kind::Sine) {
    centre = signal.dcVolts;
    half = signal.vpp / 2 * acFactor;
    if (trigger.coupling == TriggerCoupling::HfRej) half *= FirstOrderLowPass(signal.frequencyHz, kHfRejectHz);
    if (trigger.coupling == TriggerCoupling::LfRej) half *= FirstOrderHighPass(signal.frequencyHz, kLfRejectHz);
  } else if (signal.kind == Signal::Kind::TimeMarks) {
    centre = signal.markerVolts / 2;
    half = signal.markerVolts / 2;
  }
  centre += dcShift;
  if (trigger.coupling == TriggerCoupling::Ac || trigger.coupling == TriggerCoupling::LfRej) centre = 0;
  return {(centre - half) * gain, (centre + half) * gain};
}

double ScopePhysics::TriggerSensitivity(const ScopeSettings& settings) const {
  const ScopeTriggerSensitivity& s = config_.triggerSensitivity;
  double sensitivity = 0;
  switch (settings.trigger.source) {
    case TriggerSource::Ch1: sensitivity = s.ch1; break;
    case TriggerSource::Ch2: sensitivity = s.ch2; break;
    case TriggerSource::Ext: sensitivity = s.ext; break;
    case TriggerSource::Ext10: sensitivity = 10 * s.ext; break;
    case TriggerSource::Line: sensitivity = 0; break;
  }
  // Noise reject widens the comparator's hysteresis.
  if (settings.trigger.coupling == TriggerCoupling::NoiseRej) sensitivity *= 2;
  return sensitivity;
}

TriggerStatus ScopePhysics::TriggerState(const ScopeSettings& settings) const {
  if (!settings.acquire.running) return TriggerStatus::Save;
  bool triggered = settings.trigger.source == TriggerSource::Line;
  if (!triggered) {
    Swing swing = TriggerSwing(settings);
    double s = TriggerSensitivity(settings);
    double level = settings.trigger.level;
    triggered = level > swing.low + s && level < swing.high - s;
  }
  if (triggered) return TriggerStatus::Trigger;
  return settings.trigger.normalMode ? TriggerStatus::Ready : TriggerStatus::Auto;
}

double ScopePhysics::TriggerMidLevel(const ScopeSettings& settings) const {
  if (settings.trigger.source == TriggerSource::Line) return 0;
  Swing swing = TriggerSwing(settings);
  return (swing.low + swing.high) / 2;
}

}  // namespace veridane::sim
