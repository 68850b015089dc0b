#include "test/e2e/table_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "platform/text8.h"
#include "test/e2e/expected_rows.h"

namespace veridane::testing {

namespace {

std::string ChannelColumn(int channel) { return " CH " + std::to_string(channel); }

std::string RightAligned(std::string_view text, size_t width) {
  return std::string(width - std::min(width, text.size()), ' ') + std::string(text);
}

void ExpectVerdictColumn(const std::string& row) {
  const std::string verdict = Verdict(row);
  EXPECT_TRUE(verdict == " PASS" || verdict == ">PASS" || verdict == " FAIL") << Utf8FromText8(row);
}

const std::vector<std::string>& RowsOf(const ResultTable& table, int channel) {
  return channel == 1 ? table.channel1 : table.channel2;
}

// The scope's value for "cannot measure" and anything near it.
bool NoMeasurement(double reply, double threshold) { return !(std::fabs(reply) <= threshold); }

// A value shown with three significant digits against the value it came from.
void ExpectShows(const std::string& row, std::string_view column, double expected) {
  const double shown = DisplayedVolts(column);
  EXPECT_NEAR(shown, expected, 0.0051 * std::fabs(expected) + 1e-12)
      << "measured column \"" << Utf8FromText8(column) << "\" in\n" << Utf8FromText8(row);
}

// The verdict the fault calls for, and the measured value the fault leads to.
void ExpectPredicted(const std::string& row, std::string_view measured, const RowPrediction& prediction) {
  if (ShowsNoReading(row)) {
    EXPECT_TRUE(prediction.mayNotRead) << "a reading was expected:\n" << Utf8FromText8(row);
    EXPECT_EQ(Verdict(row), " FAIL") << Utf8FromText8(row);
    return;
  }
  EXPECT_TRUE(prediction.mayRead) << "no reading was expected:\n" << Utf8FromText8(row);
  EXPECT_TRUE(prediction.verdicts.Allows(Verdict(row)))
      << "expected " << prediction.verdicts.Describe() << ":\n" << Utf8FromText8(row);
  if (prediction.valueKnown) {
    EXPECT_NEAR(DisplayedVolts(measured), prediction.value, prediction.bound + 0.0051 * std::fabs(prediction.value))
        << "measured column of\n" << Utf8FromText8(row);
  }
}

}  // namespace

void ExpectOffsetRowLayout(const std::string& row, int channel, size_t rowIndex) {
  SCOPED_TRACE(Utf8FromText8(row));
  const OffsetRowExpectation& desc = kOffsetRows[rowIndex];
  ASSERT_EQ(row.size(), kRowLength);
  EXPECT_EQ(Column(row, 0, 5), ChannelColumn(channel));
  EXPECT_EQ(Column(row, 5, kOffsetScaleEnd), RightAligned(desc.scaleColumn, kOffsetScaleEnd - 5));
  EXPECT_EQ(Column(row, kOffsetScaleEnd, kOffsetLimitBegin), std::string(11, ' '));
  EXPECT_EQ(Column(row, kOffsetLimitBegin, kOffsetLimitEnd), desc.limitColumn);
  // The reading: 14 characters of number, then a three-character unit; or no reading, the
  // words at the cell's right end.
  const std::string measured = Column(row, kOffsetLimitEnd, kOffsetMeasuredEnd);
  if (ShowsNoReading(row)) {
    EXPECT_EQ(measured, RightAligned("no reading", kOffsetMeasuredEnd - kOffsetLimitEnd));
  } else {
    EXPECT_EQ(measured.substr(0, 5), std::string(5, ' '));
    EXPECT_FALSE(std::isnan(DisplayedVolts(measured)));
    EXPECT_EQ(measured.back(), 'V');
  }
  EXPECT_EQ(Column(row, kOffsetMeasuredEnd, kVerdictBegin), std::string(11, ' '));
  ExpectVerdictColumn(row);
}

void ExpectDcRowLayout(const std::string& row, int channel, size_t rowIndex) {
  SCOPED_TRACE(Utf8FromText8(row));
  ASSERT_EQ(row.size(), kRowLength);
  EXPECT_EQ(Column(row, 0, 5), ChannelColumn(channel));
  EXPECT_EQ(Column(row, 5, kDcFixedEnd), kDcRows[rowIndex].fixedColumns);
  if (ShowsNoReading(row)) {
    // The words take the cell and one blank of the gap after it.
    EXPECT_EQ(Column(row, kDcFixedEnd, kVerdictBegin), " no reading  ");
  } else {
    const std::string measured = Column(row, kDcFixedEnd, kDcMeasuredEnd);
    EXPECT_FALSE(std::isnan(DisplayedVolts(measured)));
    EXPECT_EQ(measured.back(), 'V');
    EXPECT_EQ(Column(row, kDcMeasuredEnd, kVerdictBegin), "   ");
  }
  ExpectVerdictColumn(row);
}

void ExpectOffsetTable(const ResultTable& table, const ChannelFaults& faults) {
  ASSERT_TRUE(table.found) << "no Offset at Zero table";
  EXPECT_EQ(table.header, kOffsetHeader);
  for (int channel = 1; channel <= 2; ++channel) {
    const std::vector<std::string>& rows = RowsOf(table, channel);
    ASSERT_EQ(rows.size(), kOffsetRows.size()) << "channel " << channel;
    for (size_t i = 0; i < rows.size(); ++i) {
      ExpectOffsetRowLayout(rows[i], channel, i);
      ExpectPredicted(rows[i], Column(rows[i], kOffsetLimitEnd, kOffsetMeasuredEnd),
                      PredictOffsetRow(faults[static_cast<size_t>(channel - 1)], kOffsetRows[i]));
    }
  }
}

void ExpectDcTable(const ResultTable& table, const ChannelFaults& faults) {
  ASSERT_TRUE(table.found) << "no DC Voltage Measurement table";
  EXPECT_EQ(table.header, kDcHeader);
  for (int channel = 1; channel <= 2; ++channel) {
    const std::vector<std::string>& rows = RowsOf(table, channel);
    ASSERT_EQ(rows.size(), kDcRows.size()) << "channel " << channel;
    for (size_t i = 0; i < rows.size(); ++i) {
      ExpectDcRowLayout(rows[i], channel, i);
      ExpectPredicted(rows[i], Column(rows[i], kDcFixedEnd, kDcMeasuredEnd),
                      PredictDcRow(faults[static_cast<size_t>(channel - 1)], i));
    }
  }
}

void ExpectOffsetMeasurements(const ResultTable& table, const std::vector<double>& replies) {
  const std::vector<std::string> rows = table.AllRows();
  ASSERT_EQ(replies.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const double scale = kOffsetRows[i % kOffsetRows.size()].scale;
    // A trace off screen is no reading.
    if (NoMeasurement(replies[i], 1e5))
      EXPECT_TRUE(ShowsNoReading(rows[i])) << Utf8FromText8(rows[i]) << " (scale " << scale << ")";
    else
      ExpectShows(rows[i], Column(rows[i], kOffsetLimitEnd, kOffsetMeasuredEnd), replies[i]);
  }
}

void ExpectDcMeasurements(const ResultTable& table, const std::vector<double>& replies) {
  size_t next = 0;
  for (int channel = 1; channel <= 2; ++channel) {
    const std::vector<std::string>& rows = RowsOf(table, channel);
    std::array<std::optional<double>, kDcRows.size()> readings{};
    for (size_t i = 0; i < rows.size() && i < kDcRows.size(); ++i) {
      if (kDcRows[i].difference) {
        if (readings[i - 2] && readings[i - 1]) readings[i] = std::fabs(*readings[i - 2] - *readings[i - 1]);
      } else {
        ASSERT_LT(next, replies.size()) << "more rows than measurements";
        if (!NoMeasurement(replies[next], 1e4)) readings[i] = static_cast<float>(replies[next]);
        ++next;
      }
      if (!readings[i])
        EXPECT_TRUE(ShowsNoReading(rows[i])) << Utf8FromText8(rows[i]);
      else
        ExpectShows(rows[i], Column(rows[i], kDcFixedEnd, kDcMeasuredEnd), *readings[i]);
    }
  }
  EXPECT_EQ(next, replies.size()) << "measurements without a row";
}

namespace {

template <typename Expected>
FailureOutlook Outlook(const ChannelFaults& faults, size_t rows, Expected expected) {
  FailureOutlook outlook;
  for (const sim::ScopeChannelConfig& channel : faults) {
    for (size_t i = 0; i < rows; ++i) {
      const AllowedVerdicts allowed = expected(channel, i);
      outlook.mayFail = outlook.mayFail || allowed.fail;
      outlook.mustFail = outlook.mustFail || (allowed.fail && !allowed.pass && !allowed.marginal);
    }
  }
  return outlook;
}

}  // namespace

FailureOutlook OffsetOutlook(const ChannelFaults& faults) {
  return Outlook(faults, kOffsetRows.size(), [](const sim::ScopeChannelConfig& channel, size_t i) {
    return PredictOffsetRow(channel, kOffsetRows[i]).verdicts;
  });
}

FailureOutlook DcOutlook(const ChannelFaults& faults) {
  return Outlook(faults, kDcRows.size(),
                 [](const sim::ScopeChannelConfig& channel, size_t i) { return PredictDcRow(channel, i).verdicts; });
}

}  // namespace veridane::testing
