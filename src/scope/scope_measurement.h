#pragma once
// A reading of the scope under test, as a value: the number, or none, with the replies it was
// made of (their resolution and spread enter the step's uncertainty). The scope's own "cannot
// measure" reply is recognised here, where its replies are read, and nowhere else.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veridane {

class GpibBus;

struct Measurement {
  // The mean of the readings; none when the scope could not measure, the query failed on the
  // bus, or a reply was not a number.
  std::optional<double> value;
  // The replies as the scope sent them, in order; empty without a value.
  std::vector<std::string> replies;

  // The value in single precision, as the tests judge and show it.
  std::optional<float> Single() const {
    return value ? std::optional<float>(static_cast<float>(*value)) : std::nullopt;
  }
};

// The value a reply of the scope reads as; none for the scope's "cannot measure" (9.9E37, or
// anything as large), for a reply that does not start as a number does, and for one that is not finite.
std::optional<double> ScopeReading(std::string_view reply);

// Measurement 1 of the scope at `device` ("MEASU:MEAS1:VAL?"), queried `repeats` times (at
// least once) and averaged. One reading that fails makes the whole measurement no value.
Measurement ReadMeasurement(GpibBus& bus, int16_t device, int repeats);

}  // namespace veridane
