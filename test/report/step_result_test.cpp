// The judged step as a value: one judgement gives the verdict and the limits it used, the row's
// verdict text is made from it, and text without its judgement (an old log) is read back.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "report/format.h"
#include "report/step_result.h"

namespace veridane {
namespace {

TEST(Judge, LimitsAndBandComeWithTheVerdict) {
  const Judgement offset = Judge(0, -0.0032f, JudgeMode::TwoSided, 0.0025f);
  EXPECT_EQ(offset.verdict, Verdict::Marginal);
  EXPECT_EQ(*offset.lower, -0.0032);  // the decimal, not its binary neighbour
  EXPECT_EQ(*offset.upper, 0.0032);
  EXPECT_EQ(*offset.marginalLower, -0.00224);
  EXPECT_EQ(*offset.marginalUpper, 0.00224);

  const Judgement bandwidth = Judge(0.5f, 30, JudgeMode::LowerLimit, 0.34f);
  EXPECT_EQ(bandwidth.verdict, Verdict::Fail);
  EXPECT_EQ(*bandwidth.lower, 0.35);
  EXPECT_FALSE(bandwidth.upper || bandwidth.marginalLower || bandwidth.marginalUpper);

  const Judgement trigger = Judge(2, 0, JudgeMode::UpperLimit, 1);  // at least the nominal value
  EXPECT_EQ(trigger.verdict, Verdict::Fail);
  EXPECT_EQ(*trigger.lower, 2);
  EXPECT_FALSE(trigger.upper);

  EXPECT_EQ(Judge(1, 0, JudgeMode::TwoSided, 1).verdict, Verdict::ParameterError);
}

// No reading, or a reading that is no number, is never a pass, whichever way the check goes,
// and the row shows it as a FAIL.
TEST(Judge, NoReadingIsNotMeasurable) {
  for (JudgeMode mode : {JudgeMode::LowerLimit, JudgeMode::TwoSided, JudgeMode::UpperLimit}) {
    EXPECT_EQ(Judge(1, 30, mode, std::nullopt).verdict, Verdict::NotMeasurable) << static_cast<int>(mode);
    EXPECT_EQ(Judge(1, 30, mode, std::numeric_limits<float>::quiet_NaN()).verdict, Verdict::NotMeasurable);
  }
  EXPECT_EQ(VerdictText(Verdict::NotMeasurable), " FAIL");
  EXPECT_TRUE(Failed(Verdict::NotMeasurable));
  EXPECT_FALSE(Failed(Verdict::Marginal));
  EXPECT_EQ(Judge(1, 30, JudgeMode::TwoSided, std::numeric_limits<float>::infinity()).verdict, Verdict::NotMeasurable);
}

// The coded modes of the old routine map onto the named ones by their sign alone, and a
// one-sided check with no tolerance puts its limit on the other side of the nominal.
TEST(Judge, CodedModesAndTheZeroToleranceSides) {
  EXPECT_EQ(JudgeModeFromCode(0), JudgeMode::TwoSided);
  EXPECT_EQ(JudgeModeFromCode(-1), JudgeMode::LowerLimit);
  EXPECT_EQ(JudgeModeFromCode(-7), JudgeMode::LowerLimit);
  EXPECT_EQ(JudgeModeFromCode(1), JudgeMode::UpperLimit);
  EXPECT_EQ(JudgeModeFromCode(3), JudgeMode::UpperLimit);
  const Judgement atMost = Judge(2, 0, JudgeMode::LowerLimit, 2.5f);
  EXPECT_EQ(atMost.verdict, Verdict::Fail);
  EXPECT_EQ(*atMost.upper, 2);
  EXPECT_FALSE(atMost.lower);
  EXPECT_EQ(Judge(2, 0, JudgeMode::LowerLimit, 1.5f).verdict, Verdict::Pass);
  EXPECT_EQ(Judge(100, 10, JudgeMode::UpperLimit, 111).verdict, Verdict::Fail);
  EXPECT_EQ(Judge(100, 10, JudgeMode::UpperLimit, 50).verdict, Verdict::Pass) << "no lower side";
}

TEST(StepResult, StoredNumbersAreTheDecimalsShownAndScaleCleanly) {
  const StepResult delay = Scaled(MakeStepResult("Delay 10 ms", "s", Judge(0, -1, JudgeMode::TwoSided, 0.35f), 0.35f), 1E-6);
  EXPECT_EQ(*delay.measured, 3.5e-7);
  EXPECT_EQ(*delay.upper, 1e-6);
  EXPECT_EQ(*delay.marginalLower, -7e-7);
  const StepResult none = MakeStepResult("x", "V", Judge(0, -1, JudgeMode::TwoSided, std::nullopt), std::nullopt);
  EXPECT_FALSE(none.measured);
  EXPECT_EQ(NoReadingCell(12), "  no reading");
  EXPECT_EQ(NoReadingCell(4), "no reading");  // never cut
}

TEST(StepResult, VerdictsReadBackFromTextAndNames) {
  EXPECT_EQ(VerdictOfRowText(" CH 2  2 mV/div  \xB1" "3.20 mV  20.0 mV            FAIL"), Verdict::Fail);
  EXPECT_EQ(VerdictOfRowText(" -70.9 mV           >PASS  \r\n"), Verdict::Marginal);
  EXPECT_EQ(VerdictOfRowText(" 10.4 mV            PASS"), Verdict::Pass);
  // A header, a title or a FAIL elsewhere than at the end is no verdict.
  EXPECT_FALSE(VerdictOfRowText("CHANNEL  MEASURED        PASS/FAIL"));
  EXPECT_FALSE(VerdictOfRowText(" FAIL on CH 2, see below"));
  EXPECT_FALSE(VerdictOfRowText("XFAIL"));
  EXPECT_FALSE(VerdictOfRowText("FAIL"));
  for (Verdict verdict :
       {Verdict::Pass, Verdict::Marginal, Verdict::Fail, Verdict::NotMeasurable, Verdict::ParameterError})
    EXPECT_EQ(VerdictFromName(VerdictName(verdict)), verdict);
  EXPECT_FALSE(VerdictFromName("pass"));
}

TEST(PrefixFactor, OneTableForWritingAndReading) {
  for (float value : {3.2e-12f, 4.7e-9f, 1.5e-6f, 0.0032f, 4.5e3f, 2.5e6f, 1.2e9f}) {
    const std::string text = FormatValue(value, "V", 103);
    const size_t unit = text.rfind('V');
    const std::optional<double> factor = PrefixFactor(text[unit - 1]);
    ASSERT_TRUE(factor) << text;
    EXPECT_NEAR(std::stod(text) * *factor, value, std::fabs(value) * 0.01) << text;
  }
  EXPECT_FALSE(PrefixFactor(' '));
  EXPECT_FALSE(PrefixFactor('V'));
}

}  // namespace
}  // namespace veridane
