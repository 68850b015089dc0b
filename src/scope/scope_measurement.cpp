#include "scope/scope_measurement.h"

#include <cmath>

#include "gpib/bus/gpib_bus.h"
#include "platform/numbers.h"

namespace veridane {

namespace {

// What the scope answers when it cannot make a measurement.
constexpr double kCannotMeasure = 9.9E37;

// "-1.2E-3", ".5", "+3": a reply that starts as a reading does.
bool StartsWithNumber(std::string_view text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return false;
  if (text[i] == '+' || text[i] == '-') ++i;
  if (i < text.size() && text[i] == '.') ++i;
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

}  // namespace

std::optional<double> ScopeReading(std::string_view reply) {
  // A garbled reply is no reading: read as a number it would be 0 V, a pass at zero.
  if (!StartsWithNumber(reply)) return std::nullopt;
  const double value = NumericValue(reply);
  if (!(std::fabs(value) < kCannotMeasure)) return std::nullopt;
  return value;
}

Measurement ReadMeasurement(GpibBus& bus, int16_t device, int repeats) {
  Measurement measurement;
  repeats = repeats > 1 ? repeats : 1;
  double sum = 0;
  for (int i = 0; i < repeats; ++i) {
    const std::string reply = bus.GpibQuery(device, "MEASU:MEAS1:VAL?");
    // A query that failed on the bus (the scope went away, the technician chose OK at the error)
    // leaves an empty reply, which would read as 0 V and pass a test at zero. It is no
    // measurement, exactly as the scope's own "cannot measure" is.
    if (bus.GpibWriteFailed || bus.status.Err() || bus.status.Timo()) return {};
    const std::optional<double> value = ScopeReading(reply);
    // One reading the scope could not make makes the mean no measurement either.
    if (!value) return {};
    sum += *value;
    measurement.replies.push_back(reply);
  }
  measurement.value = sum / repeats;
  return measurement;
}

}  // namespace veridane
