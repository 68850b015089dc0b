#include "results/history_plot.h"

#include <QDateTime>
#include <QString>
#include <algorithm>
#include <cmath>
#include <map>

namespace veridane {

UnitScale ScaleFor(double largest) {
  const double size = std::fabs(largest);
  if (size == 0 || !std::isfinite(size)) return {1, ""};
  if (size < 1e-6) return {1e9, "n"};
  if (size < 1e-3) return {1e6, "\xB5"};
  if (size < 1) return {1e3, "m"};
  if (size < 1e3) return {1, ""};
  if (size < 1e6) return {1e-3, "k"};
  if (size < 1e9) return {1e-6, "M"};
  return {1e-9, "G"};
}

namespace {

std::optional<double> Scaled(const std::optional<double>& value, double factor) {
  if (!value) return std::nullopt;
  return *value * factor;
}

void Widen(double& low, double& high, const std::optional<double>& value, bool& any) {
  if (!value) return;
  low = any ? std::min(low, *value) : *value;
  high = any ? std::max(high, *value) : *value;
  any = true;
}

}  // namespace

std::vector<PlotSeries> BuildHistory(const std::vector<StoredRow>& rows) {
  std::vector<PlotSeries> series;
  std::map<std::string, size_t> byStep;
  for (const StoredRow& stored : rows) {
    const StepResult& row = stored.result;
    auto [it, added] = byStep.emplace(row.step, series.size());
    if (added) {
      series.emplace_back();
      series.back().step = row.step;
      series.back().unit = row.unit;
    }
    PlotPoint point;
    point.runId = stored.run.id;
    point.time = stored.recordedAt;
    point.secondsSinceEpoch =
        static_cast<double>(QDateTime::fromString(QString::fromStdString(stored.recordedAt), Qt::ISODate).toSecsSinceEpoch());
    point.value = row.measured;
    point.verdict = row.verdict;
    point.lower = row.lower;
    point.upper = row.upper;
    point.marginalLower = row.marginalLower;
    point.marginalUpper = row.marginalUpper;
    series[it->second].points.push_back(point);
  }

  for (PlotSeries& one : series) {
    // The prefix suits the limits (what the technician reads the step by), else the readings.
    double largest = 0;
    for (const PlotPoint& point : one.points)
      for (const std::optional<double>& value : {point.lower, point.upper})
        if (value) largest = std::max(largest, std::fabs(*value));
    if (largest == 0)
      for (const PlotPoint& point : one.points)
        if (point.value) largest = std::max(largest, std::fabs(*point.value));
    const UnitScale scale = ScaleFor(largest);
    one.scale = scale.factor;
    one.unit = scale.prefix + one.unit;

    bool any = false;
    for (PlotPoint& point : one.points) {
      for (std::optional<double>* value : {&point.value, &point.lower, &point.upper, &point.marginalLower, &point.marginalUpper}) {
        *value = Scaled(*value, scale.factor);
        Widen(one.yMin, one.yMax, *value, any);
      }
      if (Failed(point.verdict)) ++one.failures;
    }
    const double room = one.yMax > one.yMin ? 0.1 * (one.yMax - one.yMin) : std::max(1.0, std::fabs(one.yMax) * 0.1);
    one.yMin -= room;
    one.yMax += room;
  }
  return series;
}

}  // namespace veridane
