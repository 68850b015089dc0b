#pragma once
// The DC calibrator (Fluke 5100A/B). Without one on the bus the technician sets the source by
// hand from a prompt.
#include <string_view>

#include "instruments/instrument_roles.h"
#include "instruments/run_flags.h"

namespace veridane {

class GpibBus;
class Operator;

class Calibrator {
 public:
  // autoMode: the run's Auto mode, read at every reset.
  Calibrator(GpibBus& bus, Operator& op, const InstrumentRoles& roles, const Automation& autoMode);

  // value in V, A or Ohm; function "[*][2|4]V", "A" or "[*][2|4]R" ("*": standby code "CC";
  // 2/4: two- or four-wire; lower-case "v", "a", "r": OK-only prompt); frequency in Hz, 0 = DC.
  // Arguments the calibrator cannot take end the program. Cancelled when the technician
  // cancelled the prompt that asked for the setting.
  Setting SetCalibrator(float value, std::string_view function, float frequency);
  // Standby; without a calibrator an OK-only prompt for 0 V.
  void CalibratorReset();

 private:
  GpibBus& bus_;
  Operator& op_;
  const InstrumentRoles& roles_;
  const Automation& autoMode_;
};

}  // namespace veridane
