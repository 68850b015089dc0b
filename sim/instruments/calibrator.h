#pragma once
// Fluke 5100A/B calibrator. A message holds one entry, value and function letter (V volts,
// A amperes, Z ohms), optionally a frequency ("1000H": AC), wire codes X0/X1 and R0/R1, a
// polarity "+"/"-", and state codes: N operate, S or C standby (".06V+,N", "-.99V,N",
// "1VX1R1+,N", "CC"). State codes act after the entry, in their order.
//
// Safety: an entry above 20 V that takes the output into a higher voltage range puts the
// calibrator in standby; only an operate code (the ",N" the program always sends) brings the
// voltage to the terminals. A refused entry (out of range, malformed) changes nothing.
// Any query is answered "0.", which is how the program recognises the calibrator.
#include <string>

#include "sim/instruments/instrument_device.h"
#include "sim/instruments/signal_source.h"
#include "sim/instruments/standard_errors.h"

namespace veridane::sim {

class Fluke5100 : public InstrumentDevice, public SignalSource {
 public:
  enum class Function { Volts, Amperes, Ohms };
  static constexpr double kMaxVolts = 1100;
  static constexpr double kMaxAmperes = 2;
  static constexpr double kMaxOhms = 10e6;
  static constexpr double kHazardVolts = 20;

  explicit Fluke5100(std::string name = "Fluke 5100B");

  Function CurrentFunction() const { return function_; }
  double Value() const { return value_; }
  double FrequencyHz() const { return frequencyHz_; }  // 0: DC
  bool Operate() const { return operate_; }
  bool FourWire() const { return fourWire_; }
  // The voltage range (full scale) a voltage falls in: 2, 20, 200 or 1100 V.
  static double VoltageRange(double volts);

  // Front panel: a DC voltage entered and operate pressed; false (nothing changed) above the
  // calibrator's range.
  bool SetDcVolts(double volts);
  void Standby() { operate_ = false; }
  // Every value entered from now on carries a true error drawn from these (off by default).
  void SetStandardErrors(StandardErrors errors) { errors_ = errors; }
  double TrueError() const { return error_; }

  Signal Output() const override;
  bool FiftyOhmSource() const override { return false; }

 protected:
  void Execute(std::string_view message) override;

 private:
  Function function_ = Function::Volts;
  double value_ = 0;
  double frequencyHz_ = 0;
  bool operate_ = false;
  bool fourWire_ = false;
  StandardErrors errors_;
  double error_ = 0;  // of the value entered last
};

}  // namespace veridane::sim
