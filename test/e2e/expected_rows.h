#pragma once
// What the two tests' tables must hold, independently of the program's own tables: the fixed
// columns of every row as the result layout prescribes them, and the verdict a row must get on
// a scope with given channel faults. The verdict is derived from the fault's size against the
// row's limit, with a band for the small imperfections every simulated scope has, so a row
// whose outcome depends on those imperfections is allowed either neighbouring verdict.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "sim/scope/scope_config.h"

namespace veridane::testing {

struct OffsetRowExpectation {
  double scale;           // V/div
  double limit;           // +/- V around 0
  std::string_view scaleColumn;  // right-aligned in columns 5..26, "/div" included
  std::string_view limitColumn;  // columns 37..45
};
extern const std::array<OffsetRowExpectation, 5> kOffsetRows;

struct DcRowExpectation {
  double scale;  // V/div
  int position;  // div
  int offset;    // V
  double output;     // calibrator volts; the nominal difference for the difference row
  double tolerance;  // +/- V
  bool difference;   // judges |reading 3 - reading 4|
  std::string_view fixedColumns;  // columns 5..60: scale, position, offset, voltage, limits
};
extern const std::array<DcRowExpectation, 7> kDcRows;

// Column boundaries of the 78-character rows.
inline constexpr size_t kRowLength = 78;
inline constexpr size_t kOffsetScaleEnd = 26, kOffsetLimitBegin = 37, kOffsetLimitEnd = 45, kOffsetMeasuredEnd = 62;
inline constexpr size_t kDcFixedEnd = 60, kDcMeasuredEnd = 70;
inline constexpr size_t kVerdictBegin = 73;

inline constexpr std::string_view kOffsetTitle = "Offset at Zero - Test ACQ / 1 of 3";
inline constexpr std::string_view kOffsetHeader =
    "CHANNEL       VERTICAL SCALE          LIMITS           MEASURED        PASS/FAIL";
inline constexpr std::string_view kDcTitle = "DC Voltage Measurement - Test ACQ / 2 of 3";
inline constexpr std::string_view kDcHeader =
    "  CH  VERT SCALE  POS    OFFSET  DC VOLTAGE     LIMITS        MEASURED PASS/FAIL";

// The verdicts a row may get.
struct AllowedVerdicts {
  bool pass = false;      // " PASS"
  bool marginal = false;  // ">PASS"
  bool fail = false;      // " FAIL"

  bool Allows(std::string_view verdict) const;
  AllowedVerdicts& operator|=(const AllowedVerdicts& other);
  std::string Describe() const;  // e.g. " PASS or >PASS"
};

// What a row of a channel with these faults (a healthy channel has none) must show.
struct RowPrediction {
  AllowedVerdicts verdicts;
  // The measured column, when it is certain whether the trace stayed on screen: the value
  // shown, within +/- bound.
  bool valueKnown = false;
  double value = 0;
  double bound = 0;
  // Whether the row may show a reading, and whether it may show no reading (trace off screen).
  bool mayRead = false;
  bool mayNotRead = false;
};

// A row whose measured cell says the scope could not make the reading.
inline bool ShowsNoReading(std::string_view row) { return row.find("no reading") != std::string_view::npos; }
RowPrediction PredictOffsetRow(const sim::ScopeChannelConfig& faults, const OffsetRowExpectation& row);
RowPrediction PredictDcRow(const sim::ScopeChannelConfig& faults, size_t rowIndex);

}  // namespace veridane::testing
