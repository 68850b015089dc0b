#pragma once
// AT 5010 programmable attenuator: the signal through it is divided by the ratio last set
// ("ATT   500"); "INIT" sets ratio 1.
#include <string>

#include "sim/instruments/instrument_device.h"
#include "sim/signal.h"

namespace veridane::sim {

class At5010 : public InstrumentDevice {
 public:
  static constexpr double kMinRatio = 1;
  static constexpr double kMaxRatio = 1000;

  explicit At5010(std::string idReply = "ID TEK/AT5010,V81.1,F1.0");

  double Ratio() const { return ratio_; }
  bool SetRatio(double ratio);  // out of range: false, ratio kept
  Signal Pass(Signal in) const;

 protected:
  void Execute(std::string_view message) override;

 private:
  std::string idReply_;
  double ratio_ = 1;
};

}  // namespace veridane::sim
