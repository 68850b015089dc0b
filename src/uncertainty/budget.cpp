#include "uncertainty/budget.h"

#include <cmath>
#include <cstdlib>

#include "platform/numbers.h"
#include "report/format.h"

namespace veridane {

namespace {

const double kSqrt3 = std::sqrt(3.0);

bool BandHolds(const UncertaintyFigure& figure, double hz) {
  return (!figure.bandLowHz || hz >= *figure.bandLowHz) && (!figure.bandHighHz || hz <= *figure.bandHighHz);
}

bool Banded(const UncertaintyFigure& figure) { return figure.bandLowHz.has_value() || figure.bandHighHz.has_value(); }

std::string Trimmed(std::string text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string SettingText(const StandardSetting& setting) {
  std::string text = std::string(FunctionName(setting.function)) + " " +
                     Trimmed(FormatValue(static_cast<float>(setting.value), FunctionUnit(setting.function), 0));
  if (setting.frequencyHz) text += " at " + Trimmed(FormatValue(static_cast<float>(*setting.frequencyHz), "Hz", 0));
  return text;
}

}  // namespace

std::string_view FunctionName(StandardFunction function) {
  switch (function) {
    case StandardFunction::DcVoltage: return "DC voltage";
    case StandardFunction::AcAmplitude: return "AC amplitude";
    case StandardFunction::Frequency: return "frequency";
    case StandardFunction::TimeMarks: return "time marks";
    case StandardFunction::Attenuation: return "attenuation";
  }
  return "DC voltage";
}

std::string_view FunctionUnit(StandardFunction function) {
  switch (function) {
    case StandardFunction::DcVoltage:
    case StandardFunction::AcAmplitude: return "V";
    case StandardFunction::Frequency: return "Hz";
    case StandardFunction::TimeMarks: return "s";
    case StandardFunction::Attenuation: return "dB";
  }
  return "V";
}

StandardSetting AttenuatorSetting(double ratio, double frequencyHz, double volts) {
  const double decibels = ratio > 1 ? 20 * std::log10(ratio) : 0;
  return StandardSetting{StandardFunction::Attenuation, decibels, frequencyHz, std::fabs(volts) * std::log(10.0) / 20};
}

const UncertaintyFigure* FindFigure(const std::vector<UncertaintyFigure>& figures, const StandardSetting& setting) {
  const UncertaintyFigure* everyFrequency = nullptr;
  for (const UncertaintyFigure& figure : figures) {
    if (figure.function != setting.function) continue;
    if (!Banded(figure)) {
      if (everyFrequency == nullptr) everyFrequency = &figure;
      continue;
    }
    // A band says nothing about a setting whose frequency is not known.
    if (setting.frequencyHz && BandHolds(figure, *setting.frequencyHz)) return &figure;
  }
  return everyFrequency;
}

double StatedAmount(const UncertaintyFigure& figure, double value) {
  return std::fabs(value) * figure.percentOfValue / 100 + figure.absolute;
}

std::optional<double> HalfLastDigit(std::string_view reply) {
  size_t i = 0;
  while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\t')) ++i;
  if (i < reply.size() && (reply[i] == '+' || reply[i] == '-')) ++i;
  int digits = 0;
  int decimals = 0;
  bool point = false;
  for (; i < reply.size(); ++i) {
    const char c = reply[i];
    if (c >= '0' && c <= '9') {
      ++digits;
      if (point) ++decimals;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  int exponent = 0;
  if (i < reply.size() && (reply[i] == 'E' || reply[i] == 'e')) {
    const std::string rest(reply.substr(i + 1));
    char* end = nullptr;
    const long e = std::strtol(rest.c_str(), &end, 10);
    if (end == rest.c_str() || e < -300 || e > 300) return std::nullopt;
    exponent = static_cast<int>(e);
  }
  return 0.5 * std::pow(10.0, exponent - decimals);
}

ReadingStatistics StatisticsOf(const StepReadings& readings) {
  ReadingStatistics stats;
  const size_t n = readings.replies.size();
  if (n == 0) return stats;
  double sum = 0;
  for (const std::string& reply : readings.replies) sum += NumericValue(reply);
  stats.mean = sum / static_cast<double>(n);
  if (n < 2) return stats;
  double squares = 0;
  for (const std::string& reply : readings.replies) {
    const double d = NumericValue(reply) - stats.mean;
    squares += d * d;
  }
  const double deviation = std::sqrt(squares / static_cast<double>(n - 1));
  stats.deviationOfMean = deviation / std::sqrt(static_cast<double>(n));
  return stats;
}

StepBudget BudgetOf(const std::vector<UncertaintyFigure>& figures, const std::vector<StandardSetting>& settings,
                    const std::vector<StepReadings>& readings) {
  StepBudget budget;
  if (settings.empty()) {
    budget.missing = "no reference standard sets this step";
    return budget;
  }
  for (const StandardSetting& setting : settings) {
    const UncertaintyFigure* figure = FindFigure(figures, setting);
    if (figure == nullptr) {
      budget.missing = "the register states no uncertainty for " + SettingText(setting);
      budget.contributions.clear();
      return budget;
    }
    Contribution c;
    c.source = "Reference standard: " + SettingText(setting);
    c.figure = StatedAmount(*figure, setting.value);
    if (figure->publishedLimit) {
      c.distribution = Distribution::Rectangular;
      c.divisor = kSqrt3;
    } else {
      c.divisor = figure->coverageFactor > 0 ? figure->coverageFactor : kExpandedCoverageFactor;
    }
    c.sensitivity = setting.sensitivity;
    c.standard = std::fabs(c.sensitivity) * c.figure / c.divisor;
    c.figureUnit = FunctionUnit(setting.function);
    budget.contributions.push_back(c);
  }
  for (const StepReadings& reading : readings) {
    // The coarsest reply sets the resolution of the step's reading.
    std::optional<double> half = reading.halfWidth;
    for (const std::string& reply : reading.replies)
      if (std::optional<double> h = HalfLastDigit(reply); h && (!half || *h > *half)) half = h;
    if (half) budget.contributions.push_back({"Reading resolution", Distribution::Rectangular, kSqrt3, *half, 1, *half / kSqrt3});
    const ReadingStatistics stats = StatisticsOf(reading);
    if (stats.deviationOfMean)
      budget.contributions.push_back({"Repeatability (" + std::to_string(reading.replies.size()) + " readings)",
                                      Distribution::Normal, 1, *stats.deviationOfMean, 1, *stats.deviationOfMean});
  }
  double squares = 0;
  for (const Contribution& c : budget.contributions) squares += c.standard * c.standard;
  budget.combined = std::sqrt(squares);
  budget.expanded = kExpandedCoverageFactor * *budget.combined;
  return budget;
}

}  // namespace veridane
