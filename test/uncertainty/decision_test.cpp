// TUR and the two decision rules at and around the limits.
#include <gtest/gtest.h>

#include "uncertainty/decision.h"

namespace veridane {
namespace {

TEST(Tur, HalfTheSpanOrTheOneSidedToleranceOverU) {
  EXPECT_DOUBLE_EQ(*TestUncertaintyRatio(0, -0.004, 0.004, 0.001), 4.0);
  EXPECT_DOUBLE_EQ(*TestUncertaintyRatio(1.0, 0.7, std::nullopt, 0.1), 3.0);
  EXPECT_FALSE(TestUncertaintyRatio(0, -1, 1, std::nullopt).has_value());
  EXPECT_FALSE(TestUncertaintyRatio(0, -1, 1, 0.0).has_value());
  EXPECT_FALSE(TestUncertaintyRatio(0, std::nullopt, std::nullopt, 0.1).has_value());
}

TEST(Decide, SimpleAcceptanceIsTheTablesVerdict) {
  EXPECT_EQ(Decide(DecisionRule::Simple, true, 0.0039, -0.004, 0.004, 0.001).decision, Decision::Pass);
  EXPECT_EQ(Decide(DecisionRule::Simple, false, 0.0041, -0.004, 0.004, 0.001).decision, Decision::Fail);
  // No reading fails whatever the rule.
  EXPECT_EQ(Decide(DecisionRule::Simple, true, std::nullopt, -0.004, 0.004, 0.001).decision, Decision::Fail);
  EXPECT_EQ(Decide(DecisionRule::Guarded, true, std::nullopt, -0.004, 0.004, 0.001).decision, Decision::Fail);
}

TEST(Decide, GuardedAcceptanceBandsOfWidthUOnBothSidesOfEachLimit) {
  const double u = 0.001;
  auto two = [&](double m, bool simplePass) {
    return Decide(DecisionRule::Guarded, simplePass, m, -0.004, 0.004, u).decision;
  };
  EXPECT_EQ(two(0.0, true), Decision::Pass);
  EXPECT_EQ(two(0.0029, true), Decision::Pass);
  EXPECT_EQ(two(0.0031, true), Decision::ConditionalPass);
  EXPECT_EQ(two(-0.0031, true), Decision::ConditionalPass);
  EXPECT_EQ(two(0.0041, false), Decision::ConditionalFail);
  EXPECT_EQ(two(-0.0049, false), Decision::ConditionalFail);
  EXPECT_EQ(two(0.0051, false), Decision::Fail);
  EXPECT_EQ(two(-0.0051, false), Decision::Fail);

  auto lower = [&](double m) { return Decide(DecisionRule::Guarded, m >= 0.7, m, 0.7, std::nullopt, 0.05).decision; };
  EXPECT_EQ(lower(5.0), Decision::Pass);
  EXPECT_EQ(lower(0.74), Decision::ConditionalPass);
  EXPECT_EQ(lower(0.66), Decision::ConditionalFail);
  EXPECT_EQ(lower(0.64), Decision::Fail);

  // U wider than the half span leaves nothing to pass outright.
  EXPECT_EQ(Decide(DecisionRule::Guarded, true, 0.0, -0.004, 0.004, 0.005).decision, Decision::ConditionalPass);
}

TEST(Decide, RuleNamesReadBack) {
  EXPECT_EQ(DecisionRuleFromName("guarded"), DecisionRule::Guarded);
  EXPECT_EQ(DecisionRuleFromName("simple"), DecisionRule::Simple);
  EXPECT_FALSE(DecisionRuleFromName("Guarded").has_value());
  EXPECT_EQ(DecisionName(Decision::ConditionalPass), "conditional pass");
  EXPECT_EQ(DecisionName(Decision::ConditionalFail), "conditional fail");
}

}  // namespace
}  // namespace veridane
