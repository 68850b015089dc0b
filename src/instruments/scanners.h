#pragma once
// The SI 5020 relay scanner pair that routes the bench instruments to the scope inputs, and
// the reset of the CG 50x0 calibration generator. Both do nothing when their instrument is
// absent: the tests give their own connection instructions then.
#include <string>
#include <string_view>

#include "instruments/instrument_roles.h"

namespace veridane {

class GpibBus;
class Operator;

class ScannerDriver {
 public:
  ScannerDriver(GpibBus& bus, Operator& op, const InstrumentRoles& roles);

  // route: comma-separated connection names from the scanner configuration, e.g. "SG,CH1";
  // a leading "-" on a name closes only its first relay. Opens every relay first, so routes
  // never accumulate; an empty route just opens them all.
  void SetRoute(std::string_view route);
  void ScannerReset();

 private:
  GpibBus& bus_;
  Operator& op_;
  const InstrumentRoles& roles_;
};

void CGReset(GpibBus& bus, const InstrumentRoles& roles);

}  // namespace veridane
