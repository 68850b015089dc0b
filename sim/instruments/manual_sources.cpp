#include "sim/instruments/manual_sources.h"

namespace veridane::sim {

void ManualGenerator::Set(double frequencyHz, double vpp) {
  SetFrequency(frequencyHz);
  SetAmplitude(vpp);
  on_ = true;
}

void ManualGenerator::SetFrequency(double frequencyHz) {
  if (frequencyHz > 0) frequencyHz_ = frequencyHz;
}

void ManualGenerator::SetAmplitude(double vpp) {
  if (vpp >= 0) vpp_ = vpp;
}

Signal ManualGenerator::Output() const {
  Signal signal;
  if (!on_) return signal;
  signal.kind = Signal::Kind::Sine;
  signal.frequencyHz = frequencyHz_;
  signal.vpp = vpp_;
  return signal;
}

void ManualCalibrator::SetVolts(double volts) {
  volts_ = volts;
  operate_ = true;
}

Signal ManualCalibrator::Output() const {
  Signal signal;
  if (!operate_) return signal;
  signal.kind = Signal::Kind::Dc;
  signal.dcVolts = volts_;
  return signal;
}

void ManualTimeMarks::SetPeriod(double seconds) { period_ = seconds > 0 ? seconds : 0; }

Signal ManualTimeMarks::Output() const {
  Signal signal;
  if (period_ <= 0) return signal;
  signal.kind = Signal::Kind::TimeMarks;
  signal.markerPeriodS = period_;
  signal.markerVolts = kMarkerVolts;
  return signal;
}

}  // namespace veridane::sim
