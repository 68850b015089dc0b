#pragma once
// CG 5011 (CG 50x0) calibration generator, modelled in its time-mark mode: "MODE MKRS" and
// "U/D 10E-3" give markers every 10 ms; "INIT" returns to 1 ms markers. Marker periods follow
// the instrument's 1-2-5 steps from 1 ns to 5 s. A time-base error (ppm) stretches every
// period, so a bench can carry a generator that is itself off.
#include <string>

#include "sim/instruments/instrument_device.h"
#include "sim/instruments/signal_source.h"
#include "sim/instruments/standard_errors.h"

namespace veridane::sim {

class Cg5011 : public InstrumentDevice, public SignalSource {
 public:
  enum class Mode { Markers, Edge, Amplitude };
  static constexpr double kMarkerVolts = 1.0;  // into 50 ohm

  explicit Cg5011(std::string model = "CG 5011", double ppmError = 0);

  Mode CurrentMode() const { return mode_; }
  double MarkerPeriod() const { return period_; }
  bool SetMarkerPeriod(double seconds);  // not a 1-2-5 step in range: false, period kept
  void SetMode(Mode mode) { mode_ = mode; }
  void Init();
  // Every period set from now on carries a true error drawn from these (off by default).
  void SetStandardErrors(StandardErrors errors) { errors_ = errors; }

  Signal Output() const override;

 protected:
  void Execute(std::string_view message) override;

 private:
  std::string idReply_;
  double ppmError_;
  Mode mode_ = Mode::Markers;
  double period_ = 1e-3;
  StandardErrors errors_;
  double error_ = 0;  // seconds, of the period set last
};

}  // namespace veridane::sim
