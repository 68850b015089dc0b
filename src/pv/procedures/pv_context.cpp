#include "pv/procedures/pv_context.h"

#include "platform/numbers.h"

namespace veridane {

void ScopeWrite(PvContext& pv, std::string_view command) { pv.bus.GpibWrite(pv.scope.ScopeDevice, command); }

double ReadMeasurement(PvContext& pv) {
  return NumericValue(pv.bus.GpibQuery(pv.scope.ScopeDevice, "MEASU:MEAS1:VAL?"));
}


}  // namespace veridane
