#include "uncertainty/decision.h"

#include <cmath>

namespace veridane {

std::string_view DecisionRuleName(DecisionRule rule) { return rule == DecisionRule::Guarded ? "guarded" : "simple"; }

std::optional<DecisionRule> DecisionRuleFromName(std::string_view name) {
  if (name == "simple") return DecisionRule::Simple;
  if (name == "guarded") return DecisionRule::Guarded;
  return std::nullopt;
}

std::string_view DecisionName(Decision decision) {
  switch (decision) {
    case Decision::Pass: return "pass";
    case Decision::ConditionalPass: return "conditional pass";
    case Decision::ConditionalFail: return "conditional fail";
    case Decision::Fail: return "fail";
  }
  return "fail";
}

std::optional<double> TestUncertaintyRatio(double nominal, std::optional<double> lower, std::optional<double> upper,
                                           std::optional<double> expanded) {
  if (!expanded || !(*expanded > 0)) return std::nullopt;
  double half = 0;
  if (lower && upper)
    half = (*upper - *lower) / 2;
  else if (lower)
    half = nominal - *lower;
  else if (upper)
    half = *upper - nominal;
  if (!(half > 0)) return std::nullopt;
  return half / *expanded;
}

Judged Decide(DecisionRule rule, bool simplePass, std::optional<double> measured, std::optional<double> lower,
              std::optional<double> upper, std::optional<double> expanded) {
  Judged judged;
  if (!measured) return judged;
  const Decision simple = simplePass ? Decision::Pass : Decision::Fail;
  if (rule == DecisionRule::Simple) {
    judged.decision = simple;
    return judged;
  }
  if (!expanded || !std::isfinite(*expanded)) {
    judged.decision = simple;
    judged.fellBackToSimple = true;
    return judged;
  }
  const double m = *measured;
  const double w = *expanded;
  const bool inside = (!lower || m >= *lower) && (!upper || m <= *upper);
  const bool clearlyInside = (!lower || m >= *lower + w) && (!upper || m <= *upper - w);
  const bool clearlyOutside = (lower && m < *lower - w) || (upper && m > *upper + w);
  if (clearlyInside)
    judged.decision = Decision::Pass;
  else if (clearlyOutside)
    judged.decision = Decision::Fail;
  else
    judged.decision = inside ? Decision::ConditionalPass : Decision::ConditionalFail;
  return judged;
}

}  // namespace veridane
