#include "report/row_verdict.h"

#include <gtest/gtest.h>

namespace veridane {
namespace {

TEST(RowVerdict, OnlyTheLastColumnCounts) {
  EXPECT_EQ(VerdictOfRow(" CH 2             2 mV/div           \xB1" "3.20 mV          20.0 mV            FAIL"),
            RowVerdict::Fail);
  EXPECT_EQ(VerdictOfRow(" CH 1            10  V/div            \xB1" "1.30  V         -70.9 mV           >PASS"),
            RowVerdict::MarginalPass);
  EXPECT_EQ(VerdictOfRow(" CH 1             1  V/div            \xB1" "400 mV         -10.4 mV            PASS"),
            RowVerdict::Pass);
  // A header, a title or a row with FAIL elsewhere than in the verdict column is no verdict.
  EXPECT_EQ(VerdictOfRow("CHANNEL       VERTICAL SCALE          LIMITS           MEASURED        PASS/FAIL"),
            RowVerdict::None);
  EXPECT_EQ(VerdictOfRow(" FAIL on CH 2, see below"), RowVerdict::None);
  EXPECT_EQ(VerdictOfRow("Full Sequence Failed."), RowVerdict::None);
  EXPECT_EQ(VerdictOfRow("XFAIL"), RowVerdict::None);
  EXPECT_EQ(VerdictOfRow("FAIL"), RowVerdict::None);  // too short to be the column
  EXPECT_EQ(VerdictOfRow(""), RowVerdict::None);
  // Trailing blanks and a line end do not hide it.
  EXPECT_EQ(VerdictOfRow(" 20.0 mV    FAIL  \r\n"), RowVerdict::Fail);
}

TEST(RowVerdict, ColumnIsWhereTheWordStarts) {
  const std::string fail = " 20.0 mV            FAIL";
  EXPECT_EQ(fail.substr(VerdictColumn(fail)), "FAIL");
  const std::string marginal = " -70.9 mV           >PASS  ";
  EXPECT_EQ(marginal.substr(VerdictColumn(marginal), 4), "PASS");
  const std::string header = "MEASURED        PASS/FAIL";
  EXPECT_EQ(VerdictColumn(header), header.size());
}

}  // namespace
}  // namespace veridane
