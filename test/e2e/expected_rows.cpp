#include "test/e2e/expected_rows.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace veridane::testing {

const std::array<OffsetRowExpectation, 5> kOffsetRows{{
    {0.002, 0.0032, "2 mV/div", "\xB1" "3.20 mV"},
    {0.01, 0.004, "10 mV/div", "\xB1" "4.00 mV"},
    {0.1, 0.04, "100 mV/div", "\xB1" "40.0 mV"},
    {1, 0.4, "1  V/div", " \xB1" "400 mV"},
    {10, 1.3, "10  V/div", "\xB1" "1.30  V"},
}};

const std::array<DcRowExpectation, 7> kDcRows{{
    {0.005, 0, -1, -0.99, 0.008, false, "   5 mV/div  0  div-1.00  V  -990 mV    -998 -  -982 mV"},
    {0.01, -5, 0, 0.06, 0.0054, false, "  10 mV/div -5  div 0.00  V  60.0 mV    54.6 -  65.4 mV"},
    {0.05, -5, -1, -0.9, 0.019, false, "  50 mV/div -5  div-1.00  V  -900 mV    -919 -  -881 mV"},
    {0.05, -5, -1, -0.6, 0.019, false, "  50 mV/div -5  div-1.00  V  -600 mV    -619 -  -581 mV"},
    {0.05, -5, -1, 0.3, 0.014, true, "  50 mV/div -5  div-1.00  V-900/-600 mV  286 -   314 mV"},
    {0.2, 5, 10, 8.4, 0.12, false, " 200 mV/div  5  div 10.0  V  8.40  V    8.28 -  8.52  V"},
    {1, 5, 100, 98, 0.9, false, "   1  V/div  5  div  100  V  98.0  V    97.1 -  98.9  V"},
}};

bool AllowedVerdicts::Allows(std::string_view verdict) const {
  return (pass && verdict == " PASS") || (marginal && verdict == ">PASS") || (fail && verdict == " FAIL");
}

AllowedVerdicts& AllowedVerdicts::operator|=(const AllowedVerdicts& other) {
  pass = pass || other.pass;
  marginal = marginal || other.marginal;
  fail = fail || other.fail;
  return *this;
}

std::string AllowedVerdicts::Describe() const {
  std::string text;
  for (auto [allowed, name] : {std::pair{pass, " PASS"}, std::pair{marginal, ">PASS"}, std::pair{fail, " FAIL"}}) {
    if (!allowed) continue;
    if (!text.empty()) text += " or ";
    text += name;
  }
  return text.empty() ? "nothing" : text;
}

namespace {

// Beyond this many divisions from the centre the scope's digitiser clips and it reports that it
// cannot measure (9.9E37).
constexpr double kScreenHalfDivisions = 5.12;
constexpr double kMarginalShare = 0.7;

// The most a healthy simulated scope is off by itself: 0.4 % gain, 0.12 % of the offset
// setting, 0.25 mV at the input and a residual of 0.04 division that depends on the scale,
// each rounded up, plus room for the averaged trace noise.
double HealthyErrorBound(double inputVolts, double offset, double scale) {
  return 0.0045 * std::fabs(inputVolts - offset) + 0.0013 * std::fabs(offset) + 0.3e-3 + 0.05 * scale;
}

// What a faulty channel reads for a DC input: the gain error acts on what the offset does not
// cancel (the trace's distance from the offset level), the offset error adds at the input.
double FaultyReading(const sim::ScopeChannelConfig& faults, double inputVolts, double offset) {
  return inputVolts + faults.gainError * (inputVolts - offset) + faults.offsetErrorVolts;
}

// A reading predicted within +/- bound, against a two-sided limit with its marginal band.
AllowedVerdicts Judged(double error, double bound, double limit) {
  const double low = std::max(0.0, std::fabs(error) - bound);
  const double high = std::fabs(error) + bound;
  AllowedVerdicts verdicts;
  verdicts.pass = low <= kMarginalShare * limit;
  verdicts.marginal = high > kMarginalShare * limit && low <= limit;
  verdicts.fail = high > limit;
  return verdicts;
}

struct ScreenState {
  bool onScreen = false;   // may be measured
  bool offScreen = false;  // may be clipped
};

ScreenState Screen(double reading, double bound, double offset, double scale, int position) {
  const double divisions = std::fabs((reading - offset) / scale + position);
  const double spread = bound / scale;
  return {divisions - spread <= kScreenHalfDivisions, divisions + spread > kScreenHalfDivisions};
}

// The possible readings of a row: the value, or no reading when the trace may be off screen.
struct Predicted {
  double value;
  double bound;
  bool noReading = false;
};
std::vector<Predicted> DcReadings(const sim::ScopeChannelConfig& faults, const DcRowExpectation& row) {
  const double reading = FaultyReading(faults, row.output, row.offset);
  const double bound = HealthyErrorBound(row.output, row.offset, row.scale);
  const ScreenState screen = Screen(reading, bound, row.offset, row.scale, row.position);
  std::vector<Predicted> readings;
  if (screen.onScreen) readings.push_back({reading, bound});
  if (screen.offScreen) readings.push_back({0, 0, true});
  return readings;
}

RowPrediction FromReadings(const std::vector<Predicted>& readings, double nominal, double limit) {
  RowPrediction prediction;
  for (const Predicted& reading : readings) {
    if (reading.noReading) {
      prediction.verdicts.fail = true;
      prediction.mayNotRead = true;
    } else {
      prediction.verdicts |= Judged(reading.value - nominal, reading.bound, limit);
      prediction.mayRead = true;
    }
  }
  if (readings.size() == 1 && !readings[0].noReading) {
    prediction.valueKnown = true;
    prediction.value = readings[0].value;
    prediction.bound = readings[0].bound;
  }
  return prediction;
}

}  // namespace

RowPrediction PredictOffsetRow(const sim::ScopeChannelConfig& faults, const OffsetRowExpectation& row) {
  // Nothing connected, offset and position at zero: the reading is the channel's offset error.
  const double reading = FaultyReading(faults, 0, 0);
  const double bound = HealthyErrorBound(0, 0, row.scale);
  const ScreenState screen = Screen(reading, bound, 0, row.scale, 0);
  std::vector<Predicted> readings;
  if (screen.onScreen) readings.push_back({reading, bound});
  if (screen.offScreen) readings.push_back({0, 0, true});
  return FromReadings(readings, 0, row.limit);
}

RowPrediction PredictDcRow(const sim::ScopeChannelConfig& faults, size_t rowIndex) {
  const DcRowExpectation& row = kDcRows[rowIndex];
  if (!row.difference) return FromReadings(DcReadings(faults, row), row.output, row.tolerance);

  // The difference of the two rows before it, each of which may have read 0. Measured on the
  // same channel, scale and offset, the scope's own offsets cancel; its gain does not.
  const DcRowExpectation& first = kDcRows[rowIndex - 2];
  const DcRowExpectation& second = kDcRows[rowIndex - 1];
  std::vector<Predicted> differences;
  for (const Predicted& a : DcReadings(faults, first)) {
    for (const Predicted& b : DcReadings(faults, second)) {
      // Without both readings there is no difference either.
      if (a.noReading || b.noReading) {
        differences.push_back({0, 0, true});
        continue;
      }
      const bool bothMeasured = a.bound > 0 && b.bound > 0;
      const double bound = bothMeasured ? 0.0045 * std::fabs(first.output - second.output) + 0.02 * row.scale
                                        : a.bound + b.bound;
      differences.push_back({std::fabs(a.value - b.value), bound});
    }
  }
  return FromReadings(differences, row.output, row.tolerance);
}

}  // namespace veridane::testing
