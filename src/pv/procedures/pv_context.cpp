#include "pv/procedures/pv_context.h"

#include <cmath>
#include <utility>

#include "platform/numbers.h"

namespace veridane {

void ScopeWrite(ScopeLink& scope, std::string_view command) { scope.bus.GpibWrite(scope.Device(), command); }

namespace {

// "-1.2E-3", ".5", "+3": a reply that starts as a reading does.
bool StartsWithNumber(std::string_view text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return false;
  if (text[i] == '+' || text[i] == '-') ++i;
  if (i < text.size() && text[i] == '.') ++i;
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

}  // namespace

double ReadMeasurement(ScopeLink& scope, TestRun& test) {
  StepReadings readings;
  const int repeats = test.state.Repeats > 1 ? test.state.Repeats : 1;
  double sum = 0;
  for (int i = 0; i < repeats; ++i) {
    const std::string reply = scope.bus.GpibQuery(scope.Device(), "MEASU:MEAS1:VAL?");
    // A query that failed on the bus (the scope went away, the technician chose OK at the error)
    // leaves an empty reply, which would read as 0 V and pass a test at zero. It is no
    // measurement, exactly as the scope's own "cannot measure" is.
    if (scope.bus.GpibWriteFailed || scope.bus.status.Err() || scope.bus.status.Timo()) return kScopeNoMeasurement;
    // A garbled reply is no reading either: read as a number it would be 0 V, a pass at zero.
    if (!StartsWithNumber(reply)) return kScopeNoMeasurement;
    const double value = NumericValue(reply);
    // One reading the scope could not make makes the mean no measurement either.
    if (!(std::fabs(value) < kScopeNoMeasurement)) return value;
    sum += value;
    readings.replies.push_back(reply);
  }
  test.display.NoteReadings(std::move(readings));
  return sum / repeats;
}


}  // namespace veridane
