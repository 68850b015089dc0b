// Budgets: the register's figures turned into standard uncertainties, the reply's resolution,
// the spread of repeated readings, and the steps that must stay "not stated".
#include <gtest/gtest.h>

#include <cmath>

#include "uncertainty/budget.h"
#include "uncertainty/step_uncertainty.h"

namespace veridane {
namespace {

UncertaintyFigure Dc(double percent, double absolute, double k = 2, bool limit = false) {
  UncertaintyFigure figure;
  figure.function = StandardFunction::DcVoltage;
  figure.percentOfValue = percent;
  figure.absolute = absolute;
  figure.coverageFactor = k;
  figure.publishedLimit = limit;
  return figure;
}

UncertaintyFigure Ac(std::optional<double> low, std::optional<double> high, double percent) {
  UncertaintyFigure figure;
  figure.function = StandardFunction::AcAmplitude;
  figure.bandLowHz = low;
  figure.bandHighHz = high;
  figure.percentOfValue = percent;
  return figure;
}

TEST(HalfLastDigit, FollowsTheDigitsAndExponentOfTheReply) {
  EXPECT_DOUBLE_EQ(*HalfLastDigit("-9.9123E-1"), 0.5e-5);
  EXPECT_DOUBLE_EQ(*HalfLastDigit("6.0E-2"), 0.5e-3);
  EXPECT_DOUBLE_EQ(*HalfLastDigit(" 12"), 0.5);
  EXPECT_DOUBLE_EQ(*HalfLastDigit("+1.25e3"), 5.0);
  EXPECT_FALSE(HalfLastDigit("").has_value());
  EXPECT_FALSE(HalfLastDigit("E5").has_value());
  EXPECT_FALSE(HalfLastDigit("1E999").has_value());
}

TEST(Budget, CertificateFigureOverItsCoverageFactorAndLimitOverRootThree) {
  const StandardSetting at{StandardFunction::DcVoltage, -0.99, std::nullopt};
  // ±(0.02 % + 50 µV) at k = 2 on -990 mV: ±248 µV, u = 124 µV.
  StepBudget budget = BudgetOf({Dc(0.02, 50e-6)}, {at}, {});
  ASSERT_TRUE(budget.Stated());
  ASSERT_EQ(budget.contributions.size(), 1u);
  EXPECT_NEAR(budget.contributions[0].standard, 124e-6, 1e-12);
  EXPECT_NEAR(*budget.expanded, 248e-6, 1e-12);

  budget = BudgetOf({Dc(0.02, 50e-6, 2, true)}, {at}, {});
  EXPECT_NEAR(*budget.combined, 248e-6 / std::sqrt(3.0), 1e-12);

  // k = 3 on a certificate is a different figure for the same ± amount.
  budget = BudgetOf({Dc(0.02, 50e-6, 3)}, {at}, {});
  EXPECT_NEAR(*budget.combined, 248e-6 / 3, 1e-12);
}

// A bandwidth step: the generator's amplitude and the attenuator its signal passes. The
// attenuator's ±0.05 dB (a published limit) reaches a 0.42 V reading as
// 0.42 V × ln 10 / 20 per dB.
TEST(Budget, TheAttenuatorInThePathJoinsTheBudgetInDecibels) {
  UncertaintyFigure decibels;
  decibels.function = StandardFunction::Attenuation;
  decibels.absolute = 0.05;
  decibels.publishedLimit = true;
  const StandardSetting amplitude{StandardFunction::AcAmplitude, 0.6, 400e6, 0.7};
  const StepBudget budget = BudgetOf({Ac(50e3, 550e6, 1.5), decibels}, {amplitude, AttenuatorSetting(10, 400e6, -0.42)}, {});
  ASSERT_TRUE(budget.Stated()) << budget.missing;
  ASSERT_EQ(budget.contributions.size(), 2u);
  const double fromAttenuator = 0.05 / std::sqrt(3.0) * 0.42 * std::log(10.0) / 20;
  EXPECT_NEAR(budget.contributions[1].standard, fromAttenuator, 1e-12);
  EXPECT_NEAR(*budget.combined, std::hypot(0.7 * 0.6 * 0.015 / 2, fromAttenuator), 1e-12);
  EXPECT_EQ(budget.contributions[1].source.rfind("Reference standard: attenuation 20", 0), 0u)
      << budget.contributions[1].source;
  // The report gives the attenuator's figure in its own unit, the standard u in the step's.
  StepUncertainty step;
  step.budget = budget;
  const std::string report = BudgetReport("CH1 100 mV/div", "V", step);
  EXPECT_NE(report.find("rectangular  \xB1" "0.05 dB "), std::string::npos) << report;
  // Not set since its reset: ratio 1, no attenuation.
  EXPECT_EQ(AttenuatorSetting(0, 400e6, 0.42).value, 0);
}

TEST(Budget, ResolutionAndRepeatabilityAddInQuadrature) {
  const StandardSetting at{StandardFunction::DcVoltage, 1.0, std::nullopt};
  StepReadings readings{{"1.0001E0", "1.0003E0", "9.999E-1"}};
  StepBudget budget = BudgetOf({Dc(0, 100e-6)}, {at}, {readings});
  ASSERT_EQ(budget.contributions.size(), 3u);
  // The coarsest reply (4 decimals) sets the resolution.
  EXPECT_NEAR(budget.contributions[1].figure, 0.5e-4, 1e-15);
  const ReadingStatistics stats = StatisticsOf(readings);
  EXPECT_NEAR(stats.mean, 1.0001, 1e-12);
  EXPECT_NEAR(*stats.deviationOfMean, 2e-4 / std::sqrt(3.0), 1e-12);
  const double expected = std::sqrt(50e-6 * 50e-6 + 0.5e-4 * 0.5e-4 / 3 + 4e-8 / 3);
  EXPECT_NEAR(*budget.combined, expected, 1e-12);
  EXPECT_NEAR(*budget.expanded, 2 * expected, 1e-12);

  // One reading has no spread to add.
  budget = BudgetOf({Dc(0, 100e-6)}, {at}, {StepReadings{{"1.0001E0"}}});
  EXPECT_EQ(budget.contributions.size(), 2u);
}

TEST(Budget, NotStatedWhenTheRegisterHasNothingForTheSetting) {
  const StandardSetting dc{StandardFunction::DcVoltage, 8.4, std::nullopt};
  EXPECT_FALSE(BudgetOf({}, {dc}, {StepReadings{{"8.41E0"}}}).Stated());
  EXPECT_FALSE(BudgetOf({Dc(0.02, 0)}, {}, {StepReadings{{"1E-3"}}}).Stated());
  // A step comparing two settings needs both stated.
  const StandardSetting ac{StandardFunction::AcAmplitude, 0.6, 100e6};
  StepBudget budget = BudgetOf({Dc(0.02, 0)}, {dc, ac}, {});
  EXPECT_FALSE(budget.Stated());
  EXPECT_NE(budget.missing.find("AC amplitude"), std::string::npos) << budget.missing;
  EXPECT_TRUE(budget.contributions.empty());

  StepUncertainty step = AssessStep({}, {dc}, {}, {8.4, 8.28, 8.52, 8.41, true}, DecisionRule::Guarded);
  EXPECT_EQ(ExpandedText(step, "V"), "not stated");
  EXPECT_EQ(TurText(step), "-");
  EXPECT_EQ(step.judged.decision, Decision::Pass);
  EXPECT_TRUE(step.judged.fellBackToSimple);
}

TEST(Budget, AFrequencyBandIsPreferredToAnEntryForEveryFrequency) {
  const std::vector<UncertaintyFigure> figures{Ac(std::nullopt, std::nullopt, 1), Ac(50e6, 400e6, 3),
                                           Ac(1e3, 50e6, 2)};
  EXPECT_EQ(FindFigure(figures, {StandardFunction::AcAmplitude, 1, 100e6}), &figures[1]);
  EXPECT_EQ(FindFigure(figures, {StandardFunction::AcAmplitude, 1, 50e3}), &figures[2]);
  EXPECT_EQ(FindFigure(figures, {StandardFunction::AcAmplitude, 1, 1e9}), &figures[0]);
  EXPECT_EQ(FindFigure(figures, {StandardFunction::AcAmplitude, 1, std::nullopt}), &figures[0]);
  EXPECT_EQ(FindFigure({Ac(50e6, 400e6, 3)}, {StandardFunction::AcAmplitude, 1, 10e6}), nullptr);
  EXPECT_EQ(FindFigure(figures, {StandardFunction::Frequency, 1, 10e6}), nullptr);
}

TEST(Budget, ReportNamesEveryContributionAndTheResult) {
  const StandardSetting at{StandardFunction::DcVoltage, -0.99, std::nullopt};
  StepUncertainty step = AssessStep({Dc(0.02, 50e-6)}, {at}, {StepReadings{{"-9.9123E-1"}}},
                                    {-0.99, -0.998, -0.982, -0.99123, true}, DecisionRule::Guarded);
  const std::string text = BudgetReport("CH1 5 mV/div -990 mV", "V", step);
  EXPECT_NE(text.find("Reference standard: DC voltage"), std::string::npos) << text;
  EXPECT_NE(text.find("Reading resolution"), std::string::npos) << text;
  EXPECT_NE(text.find("Expanded uncertainty U (k = 2)"), std::string::npos) << text;
  EXPECT_NE(text.find("Decision (guarded): pass"), std::string::npos) << text;
  EXPECT_EQ(TurText(step).substr(0, 5), "32.2:");

  step = AssessStep({}, {at}, {}, {-0.99, -0.998, -0.982, -0.99123, true}, DecisionRule::Simple);
  EXPECT_NE(BudgetReport("x", "V", step).find("U: not stated (the register states no uncertainty for DC voltage"),
            std::string::npos)
      << BudgetReport("x", "V", step);
}

}  // namespace
}  // namespace veridane
