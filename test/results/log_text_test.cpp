// A result log as people read it: expanded rows in UTF-8, sessions dated where known.
#include "results/log_text.h"

#include <gtest/gtest.h>

#include "report/format.h"

namespace veridane {
namespace {

TEST(LogText, RowsAreExpandedAndSessionsDatedWhereTheyBegin) {
  const std::string row = "CH1  2 mV/div     0.10 mV     \xB1" "3.20 mV        PASS";
  const std::string log = "Performance Verification of TDS 340, S/N: B1\r\n\r\n" + CompactLine(row) + "\r\n" +
                          CompactLine(row) + "\r\n";
  ASSERT_EQ(LogLineCount(log), 4);
  int marked = -1;
  const std::string text = LogAsText(log,
                                     {{0, "2026-12-07T18:03:12+01:00", true},
                                      {3, "2026-12-08T09:15:00+01:00", false},
                                      {9, "2026-12-09T10:00:00+01:00", false}},  // beyond this file's end
                                     &marked);
  const std::string utf8Row = "CH1  2 mV/div     0.10 mV     \xC2\xB1" "3.20 mV        PASS";
  EXPECT_EQ(text, "----- Session 1: log created 2026-12-07 18:03:12 -----\n"
                  "Performance Verification of TDS 340, S/N: B1\n\n" +
                      utf8Row + "\n\n----- Session 2: appended 2026-12-08 09:15:00 -----\n" + utf8Row + "\n");
  EXPECT_EQ(marked, 2);

  // Marks out of order (another file of that name once) are left out; without marks the text
  // is the log alone.
  EXPECT_EQ(LogAsText(log, {{3, "2026-12-08T09:15:00+01:00", false}, {2, "2026-12-09T09:15:00+01:00", false}}, &marked)
                .find("Session 2"),
            std::string::npos);
  EXPECT_EQ(marked, 1);
  EXPECT_EQ(LogAsText(log, {}), "Performance Verification of TDS 340, S/N: B1\n\n" + utf8Row + "\n" + utf8Row + "\n");
}

}  // namespace
}  // namespace veridane
