#pragma once
// Instruments that are on the bench but not on the bus: the technician sets them by hand
// when the program asks. They are ideal (a technician sets the level by looking at the
// scope), and their outputs start off until set.
#include "sim/instruments/signal_source.h"

namespace veridane::sim {

class ManualGenerator : public SignalSource {
 public:
  // Sets frequency and peak-to-peak level (into 50 ohm) and switches the output on.
  void Set(double frequencyHz, double vpp);
  void SetFrequency(double frequencyHz);
  void SetAmplitude(double vpp);
  void SetOutput(bool on) { on_ = on; }
  double FrequencyHz() const { return frequencyHz_; }
  double Vpp() const { return vpp_; }
  bool OutputOn() const { return on_; }
  Signal Output() const override;

 private:
  double frequencyHz_ = 50e3;
  double vpp_ = 0;
  bool on_ = false;
};

class ManualCalibrator : public SignalSource {
 public:
  // Sets the DC voltage and operates.
  void SetVolts(double volts);
  void SetStandby() { operate_ = false; }
  double Volts() const { return volts_; }
  bool Operate() const { return operate_; }
  Signal Output() const override;
  bool FiftyOhmSource() const override { return false; }

 private:
  double volts_ = 0;
  bool operate_ = false;
};

class ManualTimeMarks : public SignalSource {
 public:
  static constexpr double kMarkerVolts = 1.0;  // into 50 ohm
  void SetPeriod(double seconds);              // 0 or less: output off
  double Period() const { return period_; }
  Signal Output() const override;

 private:
  double period_ = 0;
};

}  // namespace veridane::sim
