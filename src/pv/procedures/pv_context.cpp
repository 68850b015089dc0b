#include "pv/procedures/pv_context.h"

#include <cmath>
#include <utility>

#include "platform/numbers.h"

namespace veridane {

void ScopeWrite(PvContext& pv, std::string_view command) { pv.bus.GpibWrite(pv.scope.ScopeDevice, command); }

double ReadMeasurement(PvContext& pv) {
  StepReadings readings;
  const int repeats = pv.state.Repeats > 1 ? pv.state.Repeats : 1;
  double sum = 0;
  for (int i = 0; i < repeats; ++i) {
    const std::string reply = pv.bus.GpibQuery(pv.scope.ScopeDevice, "MEASU:MEAS1:VAL?");
    // A query that failed on the bus (the scope went away, the technician chose OK at the error)
    // leaves an empty reply, which would read as 0 V and pass a test at zero. It is no
    // measurement, exactly as the scope's own "cannot measure" is.
    if (pv.bus.GpibWriteFailed || pv.bus.status.Err() || pv.bus.status.Timo()) return kScopeNoMeasurement;
    const double value = NumericValue(reply);
    // One reading the scope could not make makes the mean no measurement either.
    if (!(std::fabs(value) < kScopeNoMeasurement)) return value;
    sum += value;
    readings.replies.push_back(reply);
  }
  pv.display.NoteReadings(std::move(readings));
  return sum / repeats;
}


}  // namespace veridane
