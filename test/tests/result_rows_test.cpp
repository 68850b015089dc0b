// The example rows of the offset and DC voltage tests, built the way those tests build them.
#include <gtest/gtest.h>

#include <string>

#include "platform/text8.h"
#include "tests/format.h"

namespace veridane {
namespace {

std::string Last(const std::string& text, size_t n) { return text.size() > n ? text.substr(text.size() - n) : text; }

std::string OffsetRow(std::string_view channel, float scale, float limit, float reading) {
  int16_t failed = 0;
  return " " + std::string(channel) + FormatValue(scale, "V", 14) + "/div" + std::string(11, ' ') +
         Last(" \xB1" + FormatValue(limit, ";V", 103), 8) + FormatValue(reading, "V", 1103) + std::string(11, ' ') +
         JudgeResult(0, -limit, 0, reading, failed);
}

struct DcStep {
  float scale, position, offset, output, tolerance;
};

std::string DcRow(std::string_view channel, const DcStep& s, std::string_view dcColumn, float measured) {
  int16_t failed = 0;
  std::string dc = dcColumn.empty() ? FormatValue(s.output, "V", 303) + "   " : std::string(dcColumn);
  std::string lowText = FormatValue(LowerLimit(s.output, -s.tolerance), "", 103);
  lowText.erase(lowText.find_last_not_of(' ') + 1);
  return " " + Trim(channel) + FormatValue(s.scale, "V", 4) + "/div" + FormatValue(s.position, "div", 3) +
         FormatValue(s.offset, "V", 203) + dc + lowText + " - " + FormatValue(UpperLimit(s.output, -s.tolerance), "V", 103) +
         FormatValue(measured, "V", 403) + "   " + JudgeResult(s.output, -s.tolerance, 0, measured, failed);
}

TEST(ResultRows, OffsetAtZeroExampleRow) {
  std::string row = OffsetRow("CH 1", 0.002f, 0.0032f, 500e-6f);
  EXPECT_EQ(row, " CH 1             2 mV/div           \xB1" "3.20 mV           500 \xB5V            PASS");
  EXPECT_EQ(row.size(), 78u);
}

TEST(ResultRows, OffsetImpossibleMeasurementReadsAsTenDivisions) {
  float reading = 9.9e37f;
  const float scale = 0.002f;
  if (reading > 100000) reading = 10 * scale;
  EXPECT_EQ(FormatValue(reading, "V", 1103), "          20.0 mV");
  std::string row = OffsetRow("CH 1", scale, 0.0032f, reading);
  EXPECT_EQ(row.substr(row.size() - 5), " FAIL");
  EXPECT_EQ(row.size(), 78u);
}

TEST(ResultRows, OffsetRowsKeepTheirWidthAtEveryScale) {
  const float scales[] = {0.002f, 0.01f, 0.1f, 1, 10};
  const float limits[] = {0.0032f, 0.004f, 0.04f, 0.4f, 1.3f};
  for (int i = 0; i < 5; ++i) {
    for (float reading : {0.0f, limits[i] * 0.5f, -limits[i], limits[i] * 3}) {
      std::string row = OffsetRow("CH 2", scales[i], limits[i], reading);
      EXPECT_EQ(row.size(), 78u) << row;
    }
  }
  EXPECT_EQ(OffsetRow("CH 2", 10, 1.3f, 0.91f),
            " CH 2            10  V/div           \xB1" "1.30  V           910 mV            PASS");
}

TEST(ResultRows, DcVoltageExampleRows) {
  DcStep step1{0.005f, 0, -1, -0.99f, 0.008f};
  EXPECT_EQ(DcRow(" CH 1 ", step1, "", -0.991f),
            " CH 1   5 mV/div  0  div-1.00  V  -990 mV    -998 -  -982 mV   -991 mV    PASS");
  DcStep step5{0.05f, -5, -1, 0.3f, 0.014f};
  std::string row5 = DcRow("CH 1", step5, "-900/-600 mV", 0.3f);
  EXPECT_EQ(row5, " CH 1  50 mV/div -5  div-1.00  V-900/-600 mV  286 -   314 mV    300 mV    PASS");
  EXPECT_EQ(row5.size(), 78u);
}

TEST(ResultRows, DcVoltageLimitColumn) {
  std::string low = FormatValue(LowerLimit(-0.99f, -0.008f), "", 103);
  low.erase(low.find_last_not_of(' ') + 1);
  EXPECT_EQ(low + " - " + FormatValue(UpperLimit(-0.99f, -0.008f), "V", 103), " -998 -  -982 mV");
  // The 98 V step reads in volts at both ends.
  DcStep step7{1, 5, 100, 98, 0.9f};
  std::string row7 = DcRow("CH 2", step7, "", 98.2f);
  EXPECT_EQ(row7, " CH 2   1  V/div  5  div  100  V  98.0  V    97.1 -  98.9  V   98.2  V    PASS");
  EXPECT_EQ(row7.size(), 78u);
}

}  // namespace
}  // namespace veridane
