#pragma once
// Test uncertainty ratio and the decision rules a lab states on its certificates (ILAC-G8):
// simple acceptance takes the verdict against the limits as it is; guarded acceptance with a
// guard band of U passes only readings inside the limits shrunk by U and fails only those
// outside the limits widened by U, leaving the rest conditional.
#include <optional>
#include <string_view>

namespace veridane {

enum class DecisionRule { Simple, Guarded };

enum class Decision { Pass, ConditionalPass, ConditionalFail, Fail };

// "simple", "guarded".
std::string_view DecisionRuleName(DecisionRule rule);
std::optional<DecisionRule> DecisionRuleFromName(std::string_view name);
// "pass", "conditional pass", "conditional fail", "fail".
std::string_view DecisionName(Decision decision);

// Below this ratio of tolerance to uncertainty a step's verdict leans on the standard.
inline constexpr double kMinimumTur = 4;

// Half the tolerance span over U; for a one-sided limit, the distance from the nominal value to
// the limit over U. Absent without U (not stated, or zero) or without a usable limit.
std::optional<double> TestUncertaintyRatio(double nominal, std::optional<double> lower, std::optional<double> upper,
                                           std::optional<double> expanded);

struct Judged {
  Decision decision = Decision::Fail;
  // Guarded acceptance asked for but U not stated: the simple verdict stands.
  bool fellBackToSimple = false;
};

// The decision on a reading. `simplePass` is the verdict against the limits as the table shows
// it (PASS or >PASS); no reading always fails.
Judged Decide(DecisionRule rule, bool simplePass, std::optional<double> measured, std::optional<double> lower,
              std::optional<double> upper, std::optional<double> expanded);

}  // namespace veridane
