#pragma once
// What the History window draws for one scope and one test: per step, the measured value of
// every run over time, the limits and the marginal band each run was judged against, and
// which points failed. Values are scaled to one engineering prefix per step so that the axis
// reads "mV" rather than "0.0032 V".
#include <optional>
#include <string>
#include <vector>

#include "results/results_store.h"

namespace veridane {

struct PlotPoint {
  int64_t runId = 0;
  std::string time;       // as stored
  double secondsSinceEpoch = 0;
  std::optional<double> value;  // scaled; absent when the scope gave no reading
  Verdict verdict = Verdict::Fail;
  // Scaled, as stored with this point (a later program may have other limits).
  std::optional<double> lower, upper, marginalLower, marginalUpper;
};

struct PlotSeries {
  std::string step;
  std::string unit;    // scaled unit, 8-bit: "mV", "\xB5V"
  double scale = 1;    // stored value x scale = plotted value
  std::vector<PlotPoint> points;  // oldest first
  double yMin = 0, yMax = 0;      // covers every value and limit, with a little room
  int failures = 0;               // FAIL and not-measurable points

  bool HasFailure() const { return failures > 0; }
};

// Rows of one scope and one test (as ResultsStore::Rows gives them), one series per step in the
// order the steps were first shown.
std::vector<PlotSeries> BuildHistory(const std::vector<StoredRow>& rows);

// The prefix for a value of this size: factor to multiply by and its letter ("m", "\xB5", "").
struct UnitScale {
  double factor;
  std::string prefix;
};
UnitScale ScaleFor(double largestMagnitude);

}  // namespace veridane
