#include "pv/procedures/pv_context.h"

#include "platform/numbers.h"

namespace veridane {

void ScopeWrite(PvContext& pv, std::string_view command) { pv.bus.GpibWrite(pv.scope.ScopeDevice, command); }

double ReadMeasurement(PvContext& pv) {
  const std::string reply = pv.bus.GpibQuery(pv.scope.ScopeDevice, "MEASU:MEAS1:VAL?");
  // A query that failed on the bus (the scope went away, the technician chose OK at the error)
  // leaves an empty reply, which would read as 0 V and pass a test at zero. It is no
  // measurement, exactly as the scope's own "cannot measure" is.
  if (pv.bus.GpibWriteFailed || pv.bus.status.Err() || pv.bus.status.Timo()) return kScopeNoMeasurement;
  return NumericValue(reply);
}


}  // namespace veridane
