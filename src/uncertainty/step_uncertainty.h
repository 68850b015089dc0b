#pragma once
// Everything the lab layer says about one judged step: its budget, its test uncertainty ratio
// and the decision under the rule in force, plus the budget as the technician reads it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uncertainty/budget.h"
#include "uncertainty/decision.h"

namespace veridane {

// The limits and reading of a step, as numbers.
struct StepLimits {
  double nominal = 0;
  std::optional<double> lower;
  std::optional<double> upper;
  std::optional<double> measured;
  bool simplePass = false;  // the verdict the table shows is PASS or >PASS
};

struct StepUncertainty {
  // False for a row never assessed (read back from a log): it has no decision to state.
  bool assessed = false;
  StepBudget budget;
  std::optional<double> tur;
  DecisionRule rule = DecisionRule::Simple;
  Judged judged;
  bool TurLow() const { return tur && *tur < kMinimumTur; }
};

StepUncertainty AssessStep(const std::vector<UncertaintyFigure>& figures, const std::vector<StandardSetting>& settings,
                           const std::vector<StepReadings>& readings, const StepLimits& limits, DecisionRule rule);

// U as a column shows it: "±248.1 µV", or "not stated" (8-bit text).
std::string ExpandedText(const StepUncertainty& step, std::string_view unit);
// TUR as a column shows it: "32.3:1", "3.1:1 (below 4:1)" or "-" without U.
std::string TurText(const StepUncertainty& step);

// The budget as lines for the terminal or a certificate's annex (8-bit text, LF between lines).
std::string BudgetReport(std::string_view step, std::string_view unit, const StepUncertainty& assessed);

}  // namespace veridane
