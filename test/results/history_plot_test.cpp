// The History plot's model for one scope's Offset at Zero over three runs, the last one failing.
#include <gtest/gtest.h>

#include "results/history_plot.h"
#include "test/results/results_fixture.h"

namespace veridane {
namespace {

StoredRow Stored(int64_t run, const std::string& time, const StepResult& result) {
  StoredRow row;
  row.run.id = run;
  row.run.facts = testing::SomeRun("B012345", time);
  row.recordedAt = time;
  row.result = result;
  return row;
}

TEST(HistoryPlot, SeriesPerStepWithScaledLimitsBandAndFailures) {
  using testing::OffsetResult;
  const std::vector<StoredRow> rows = {
      Stored(1, "2024-03-01T10:00:00Z", OffsetResult("CH1 2 mV/div", 0.0032f, 0.0001f)),
      Stored(1, "2024-03-01T10:00:05Z", OffsetResult("CH2 2 mV/div", 0.0032f, 0.0005f)),
      Stored(2, "2025-03-01T10:00:00Z", OffsetResult("CH1 2 mV/div", 0.0032f, 0.0002f)),
      Stored(2, "2025-03-01T10:00:05Z", OffsetResult("CH2 2 mV/div", 0.0032f, 0.0027f)),
      Stored(3, "2026-03-01T10:00:00Z", OffsetResult("CH1 2 mV/div", 0.0032f, std::nullopt)),
      Stored(3, "2026-03-01T10:00:05Z", OffsetResult("CH2 2 mV/div", 0.0032f, 0.0050f)),
  };
  const std::vector<PlotSeries> series = BuildHistory(rows);
  ASSERT_EQ(series.size(), 2u);
  EXPECT_EQ(series[0].step, "CH1 2 mV/div");
  const PlotSeries& ch2 = series[1];
  EXPECT_EQ(ch2.step, "CH2 2 mV/div");
  EXPECT_EQ(ch2.unit, "mV");
  ASSERT_EQ(ch2.points.size(), 3u);

  // Oldest first, on a time axis.
  EXPECT_LT(ch2.points[0].secondsSinceEpoch, ch2.points[1].secondsSinceEpoch);
  EXPECT_EQ(ch2.points[2].secondsSinceEpoch - ch2.points[1].secondsSinceEpoch, 365 * 86400.0);
  // Values and limits in mV; the band is 70 % of the limits.
  EXPECT_NEAR(*ch2.points[1].value, 2.7, 1e-4);
  EXPECT_NEAR(*ch2.points[1].upper, 3.2, 1e-4);
  EXPECT_NEAR(*ch2.points[1].lower, -3.2, 1e-4);
  EXPECT_NEAR(*ch2.points[1].marginalUpper, 2.24, 1e-3);
  EXPECT_NEAR(*ch2.points[1].marginalLower, -2.24, 1e-3);
  EXPECT_EQ(ch2.points[0].verdict, Verdict::Pass);
  EXPECT_EQ(ch2.points[1].verdict, Verdict::Marginal);
  EXPECT_EQ(ch2.points[2].verdict, Verdict::Fail);
  EXPECT_EQ(ch2.failures, 1);
  // The range shows the failing point and both limits.
  EXPECT_GT(ch2.yMax, 5.0);
  EXPECT_LT(ch2.yMin, -3.2);

  // A step without a reading still counts as a failure, with no point to draw.
  EXPECT_FALSE(series[0].points[2].value.has_value());
  EXPECT_EQ(series[0].failures, 1);
}

TEST(HistoryPlot, PrefixFollowsTheSizeOfTheLimits) {
  EXPECT_EQ(ScaleFor(0.0032).prefix, "m");
  EXPECT_EQ(ScaleFor(4e-5).prefix, "\xB5");
  EXPECT_EQ(ScaleFor(98.9).prefix, "");
  EXPECT_EQ(ScaleFor(350e6).prefix, "M");
  EXPECT_EQ(ScaleFor(0).factor, 1);
}

}  // namespace
}  // namespace veridane
