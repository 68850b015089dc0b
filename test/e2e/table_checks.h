#pragma once
// The assertions every run makes on the two tests' tables: heading, row count, the fixed-width
// layout column by column, the verdict each row must get for the scope's faults, and the
// measured column against what the scope actually answered on the bus.
#include <array>
#include <string>
#include <vector>

#include "sim/scope/scope_config.h"
#include "test/e2e/result_table.h"

namespace veridane::testing {

using ChannelFaults = std::array<sim::ScopeChannelConfig, 2>;

// Layout and verdicts of complete tables (both channels, every row).
void ExpectOffsetTable(const ResultTable& table, const ChannelFaults& faults);
void ExpectDcTable(const ResultTable& table, const ChannelFaults& faults);

// Layout of the rows present, for tables cut short by the technician.
void ExpectOffsetRowLayout(const std::string& row, int channel, size_t rowIndex);
void ExpectDcRowLayout(const std::string& row, int channel, size_t rowIndex);

// The measured columns show the scope's replies to the measurement queries, in order
// (the Offset at Zero table takes 10 replies, the DC table 12: none for the difference rows).
void ExpectOffsetMeasurements(const ResultTable& table, const std::vector<double>& replies);
void ExpectDcMeasurements(const ResultTable& table, const std::vector<double>& replies);

// Whether any row of these tables must fail, may fail, for the test's status.
struct FailureOutlook {
  bool mustFail = false;
  bool mayFail = false;
};
FailureOutlook OffsetOutlook(const ChannelFaults& faults);
FailureOutlook DcOutlook(const ChannelFaults& faults);

}  // namespace veridane::testing
