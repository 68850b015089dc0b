#pragma once
// How the simulated scope sees its inputs: the channel's analog path (coupling, bandwidth,
// 20 MHz limit, gain and offset errors), the digitised record on the 10 x 8 division screen
// with seeded noise, the measurements made on that record, the paired-cursor readout and the
// edge trigger.
#include <cstdint>
#include <vector>

#include "sim/scope/scope_config.h"
#include "sim/scope/scope_settings.h"
#include "sim/signal.h"

namespace veridane::sim {

enum class TriggerStatus { Auto, Ready, Trigger, Save };

class ScopePhysics {
 public:
  ScopePhysics(const ScopeConfig& config, InputSignals inputs);

  // A running acquisition shows fresh noise on every reading; a stopped one keeps its record.
  void NextAcquisition() { ++acquisition_; }

  // A measurement on a channel (1 or 2); kImpossibleMeasurement when the scope cannot make it
  // (trace clipped or off screen, channel not displayed, no periodic signal for FREQ/PERIOD).
  double Measure(const ScopeSettings& settings, MeasureType type, int channel) const;

  // The waveform voltage at a time (s from the trigger point, or from the delay time in
  // delayed mode) on a channel, as the paired cursors read it.
  double CursorVoltage(const ScopeSettings& settings, int channel, double cursorSeconds) const;

  TriggerStatus TriggerState(const ScopeSettings& settings) const;
  // The level halfway through the trigger source's swing (what SETLevel sets).
  double TriggerMidLevel(const ScopeSettings& settings) const;

  // The -3 dB point of a channel at a vertical scale.
  double ChannelBandwidth(int channel, double scale) const;

  // The displayed record of a channel as the waveform transfer reads it: kCurvePoints points
  // across the screen, in divisions from its centre (noise included), within the digitiser's
  // range of +-5.12 divisions (25 levels a division on 8 bits).
  static constexpr int kCurvePoints = 1000;
  std::vector<double> RecordDivisions(const ScopeSettings& settings, int channel) const;

 private:
  struct ChannelErrors {
    double gain;            // fractional gain error
    double offsetAccuracy;  // fractional error of the offset setting
    double inputOffset;     // volts referred to the input
  };
  struct Window {
    double start, span;  // scope seconds relative to the trigger point
  };
  struct Swing {
    double low, high;
  };

  Signal ChannelInput(const ChannelSettings& channel, int number) const;
  double AcResponse(const ChannelSettings& channel, int number, double frequencyHz) const;
  double InputVolts(const Signal& signal, double amplitudeFactor, double realSeconds) const;
  double DisplayedVolts(const ScopeSettings& settings, int number, double scopeSeconds) const;
  double ResidualDivisions(int number, double scale) const;
  double Noise(int number, int index) const;
  double NoiseDivisions(const ScopeSettings& settings) const;
  Window RecordWindow(const ScopeSettings& settings) const;
  double PeriodicFrequency(const ScopeSettings& settings, int number) const;
  Swing TriggerSwing(const ScopeSettings& settings) const;
  double TriggerSensitivity(const ScopeSettings& settings) const;

  const ScopeConfig& config_;
  const ScopeModelData& model_;
  InputSignals inputs_;
  std::array<ChannelErrors, 2> errors_{};
  uint64_t acquisition_ = 0;
};

}  // namespace veridane::sim
