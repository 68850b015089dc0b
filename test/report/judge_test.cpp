#include <gtest/gtest.h>

#include <limits>

#include "report/format.h"
#include "report/step_result.h"

namespace veridane {
namespace {

// The verdict column Judge gives a reading, and -1 when that verdict fails its test (else 0).
std::pair<std::string, int16_t> Judged(float nominal, float tolerance, int16_t mode, float measured) {
  const veridane::Verdict verdict = Judge(nominal, tolerance, JudgeModeFromCode(mode), measured).verdict;
  return {std::string(VerdictText(verdict)), static_cast<int16_t>(Failed(verdict) ? -1 : 0)};
}

using Verdict = std::pair<std::string, int16_t>;

TEST(Limits, PercentAndAbsoluteTolerances) {
  EXPECT_FLOAT_EQ(UpperLimit(10, 5), 10.5f);
  EXPECT_FLOAT_EQ(LowerLimit(10, 5), 9.5f);
  EXPECT_FLOAT_EQ(UpperLimit(-1, 10), -0.9f);
  EXPECT_FLOAT_EQ(LowerLimit(-1, 10), -1.1f);
  EXPECT_FLOAT_EQ(UpperLimit(-0.99f, -0.008f), -0.982f);
  EXPECT_FLOAT_EQ(LowerLimit(-0.99f, -0.008f), -0.998f);
  EXPECT_FLOAT_EQ(UpperLimit(2, 0), 2.0f);
  EXPECT_FLOAT_EQ(LowerLimit(2, 0), 2.0f);
}

TEST(Judge, TwoSidedBandWithMarginalPass) {
  EXPECT_EQ(Judged(0, -1, 0, 0.7f), Verdict(" PASS", 0));
  EXPECT_EQ(Judged(0, -1, 0, -0.7f), Verdict(" PASS", 0));
  EXPECT_EQ(Judged(0, -1, 0, 0.71f), Verdict(">PASS", 0));
  EXPECT_EQ(Judged(0, -1, 0, 1.0f), Verdict(">PASS", 0));
  EXPECT_EQ(Judged(0, -1, 0, -1.0f), Verdict(">PASS", 0));
  EXPECT_EQ(Judged(0, -1, 0, 1.01f), Verdict(" FAIL", -1));
  EXPECT_EQ(Judged(0, -1, 0, -1.01f), Verdict(" FAIL", -1));
  // Percent tolerance in the two-sided mode: 100 +-10 %, inner band +-7 %.
  EXPECT_EQ(Judged(100, 10, 0, 107), Verdict(" PASS", 0));
  EXPECT_EQ(Judged(100, 10, 0, 92), Verdict(">PASS", 0));
  EXPECT_EQ(Judged(100, 10, 0, 111), Verdict(" FAIL", -1));
}

TEST(Judge, OffsetLimitsAtTheirEdges) {
  // The offset test's limits: exactly 0.7 x limit passes, exactly the limit is marginal.
  // Readings as the scope sends them, in decimal: 0.7 x limit and the limit itself.
  const std::pair<float, float> limits[] = {
      {0.0032f, 0.00224f}, {0.004f, 0.0028f}, {0.04f, 0.028f}, {0.4f, 0.28f}, {1.3f, 0.91f}};
  for (auto [limit, inner] : limits) {
    EXPECT_EQ(Judged(0, -limit, 0, inner).first, " PASS") << limit;
    EXPECT_EQ(Judged(0, -limit, 0, -inner).first, " PASS") << limit;
    EXPECT_EQ(Judged(0, -limit, 0, limit).first, ">PASS") << limit;
    EXPECT_EQ(Judged(0, -limit, 0, -limit).first, ">PASS") << limit;
    EXPECT_EQ(Judged(0, -limit, 0, 10 * limit).first, " FAIL") << limit;
  }
  // A reading computed from the limit in single precision is judged the same way.
  EXPECT_EQ(Judged(0, -1.3f, 0, 0.7f * 1.3f).first, " PASS");
  EXPECT_EQ(Judged(0, -0.0032f, 0, 0.02f), Verdict(" FAIL", -1));
}

TEST(Judge, ASmallAbsoluteToleranceOnALargeNominalIsKept) {
  // Rounded to seven digits, 1000000 + 0.4 was exactly 1000000 and 1000000.1 failed.
  EXPECT_GT(UpperLimit(1000000, -0.4f), 1000000.0f);
  EXPECT_LT(LowerLimit(1000000, -0.4f), 1000000.0f);
  EXPECT_EQ(Judged(1000000, -0.4f, 1, 1000000.1f), Verdict(" PASS", 0));
  EXPECT_EQ(Judged(1000000, -0.4f, -1, 999999.9f), Verdict(" PASS", 0));
  EXPECT_EQ(Judged(1000000, -0.4f, 0, 1000000.1f), Verdict(" PASS", 0));
  EXPECT_EQ(Judged(1000000, -0.4f, 0, 1000000.5f), Verdict(" FAIL", -1));
}

TEST(Judge, OneSidedLimits) {
  EXPECT_EQ(Judged(2, 0, 1, 1), Verdict(" FAIL", -1));
  EXPECT_EQ(Judged(2, 0, 1, 2), Verdict(" PASS", 0));
  EXPECT_EQ(Judged(2, 0, 1, 3), Verdict(" PASS", 0));
  EXPECT_EQ(Judged(1, 30, -1, 0.7f), Verdict(" PASS", 0));
  EXPECT_EQ(Judged(1, 30, -1, 0.69f), Verdict(" FAIL", -1));
  EXPECT_EQ(Judged(1, 30, -1, 5), Verdict(" PASS", 0));
  // Upper limit with a tolerance, lower mode without one.
  EXPECT_EQ(Judged(10, 10, 1, 11), Verdict(" PASS", 0));
  EXPECT_EQ(Judged(10, 10, 1, 11.1f), Verdict(" FAIL", -1));
  EXPECT_EQ(Judged(5, 0, -1, 5), Verdict(" PASS", 0));
  EXPECT_EQ(Judged(5, 0, -1, 5.1f), Verdict(" FAIL", -1));
  // One-sided checks have no marginal band, even right at the limit.
  EXPECT_EQ(Judged(1, 30, -1, 0.71f), Verdict(" PASS", 0));
}

TEST(Judge, ParameterErrorAndMissingReadings) {
  // Limits that make no sense fail the test: nothing was shown to pass.
  EXPECT_EQ(Judged(1, 0, 0, 1), Verdict("Parameter Error", -1));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(Judged(1, 30, -1, nan), Verdict(" FAIL", -1));
  EXPECT_EQ(Judged(2, 0, 1, nan), Verdict(" FAIL", -1));
  EXPECT_EQ(Judged(0, -1, 0, nan), Verdict(" FAIL", -1));
  EXPECT_EQ(Judged(1, 30, -1, inf), Verdict(" FAIL", -1));
}

}  // namespace
}  // namespace veridane
