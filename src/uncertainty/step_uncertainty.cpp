#include "uncertainty/step_uncertainty.h"

#include <cmath>
#include <cstdio>

#include "report/format.h"

namespace veridane {

namespace {

std::string Amount(double value, std::string_view unit) {
  // Decibels take no SI prefix.
  if (unit == "dB") {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g dB", value);
    return text;
  }
  std::string text = FormatValue(static_cast<float>(value), unit, 104);
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? text : text.substr(first);
}

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text + ' ';
}

std::string Ratio(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f:1", value);
  return buffer;
}

}  // namespace

StepUncertainty AssessStep(const std::vector<UncertaintyFigure>& figures, const std::vector<StandardSetting>& settings,
                           const std::vector<StepReadings>& readings, const StepLimits& limits, DecisionRule rule) {
  StepUncertainty step;
  step.assessed = true;
  step.budget = BudgetOf(figures, settings, readings);
  step.tur = TestUncertaintyRatio(limits.nominal, limits.lower, limits.upper, step.budget.expanded);
  step.rule = rule;
  step.judged = Decide(rule, limits.simplePass, limits.measured, limits.lower, limits.upper, step.budget.expanded);
  return step;
}

std::string ExpandedText(const StepUncertainty& step, std::string_view unit) {
  if (!step.budget.expanded) return "not stated";
  return "\xB1" + Amount(*step.budget.expanded, unit);
}

std::string TurText(const StepUncertainty& step) {
  if (!step.tur) return "-";
  return Ratio(*step.tur) + (step.TurLow() ? " (below 4:1)" : "");
}

std::string BudgetReport(std::string_view step, std::string_view unit, const StepUncertainty& assessed) {
  const StepBudget& budget = assessed.budget;
  std::string text = "Uncertainty budget: " + std::string(step) + "\n";
  if (!budget.Stated()) {
    text += "  U: not stated (" + budget.missing + ")\n";
  } else {
    text += "  " + Padded("Contribution", 52) + Padded("Distribution", 12) + Padded("Figure", 12) +
            Padded("Divisor", 8) + Padded("c_i", 6) + "Standard u\n";
    for (const Contribution& c : budget.contributions) {
      char divisor[16];
      std::snprintf(divisor, sizeof divisor, "%.3g", c.divisor);
      char sensitivity[16];
      std::snprintf(sensitivity, sizeof sensitivity, "%.3g", c.sensitivity);
      text += "  " + Padded(c.source, 52) +
              Padded(c.distribution == Distribution::Normal ? "normal" : "rectangular", 12) +
              Padded("\xB1" + Amount(c.figure, c.figureUnit.empty() ? unit : std::string_view(c.figureUnit)), 12) + Padded(divisor, 8) + Padded(sensitivity, 6) + Amount(c.standard, unit) + "\n";
    }
    text += "  " + Padded("Combined standard uncertainty u_c", 93) + Amount(*budget.combined, unit) + "\n";
    text += "  " + Padded("Expanded uncertainty U (k = 2)", 93) + Amount(*budget.expanded, unit) + "\n";
  }
  text += "  TUR: " + TurText(assessed) + "\n";
  text += "  Decision (" + std::string(DecisionRuleName(assessed.rule)) + "): " +
          std::string(DecisionName(assessed.judged.decision));
  if (assessed.judged.fellBackToSimple) text += " (U not stated: simple acceptance)";
  return text + "\n";
}

}  // namespace veridane
