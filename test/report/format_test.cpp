#include "report/format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace veridane {
namespace {

TEST(FormatDigits, SignificantDigitCodesKeepTheirWidths) {
  struct Case {
    float value;
    float code;
    const char* text;
  };
  const Case cases[] = {
      {3.2f, 103, " 3.20"},      {12, 103, " 12.0"},        {100, 103, "  100"},         {1.5f, 104, " 1.500"},
      {500, 104, " 500.0"},      {-1, 203, "-1.00"},        {0, 203, " 0.00"},           {10, 203, " 10.0"},
      {-990, 303, "  -990"},     {60, 303, "  60.0"},       {8.4f, 303, "  8.40"},       {123, 403, "    123"},
      {0, 403, "   0.00"},       {873.7f, 404, "   873.7"},  {1.234f, 504, "    1.234"},  {500, 1103, "           500"},
      {-998, 103, " -998"},      {-0.5f, 103, "-0.50"},     {999.4f, 403, "    999"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDigits(c.value, c.code), c.text) << c.value << " code " << c.code;
}

TEST(FormatDigits, RoundingCarriedIntoANewDigitDropsADecimal) {
  EXPECT_EQ(FormatDigits(9.996f, 103), " 10.0");
  EXPECT_EQ(FormatDigits(99.96f, 103), "  100");
  EXPECT_EQ(FormatDigits(9.9996f, 104), " 10.00");
  EXPECT_EQ(FormatDigits(9.994f, 103), " 9.99");
  // Truncating codes never carry.
  EXPECT_EQ(FormatDigits(9.996f, -103), " 9.99");
}

TEST(FormatDigits, WidthFractionCodes) {
  EXPECT_EQ(FormatDigits(999, 5), "  999");
  EXPECT_EQ(FormatDigits(-1, 5), "   -1");
  EXPECT_EQ(FormatDigits(12, 14), "            12");
  EXPECT_EQ(FormatDigits(-1.234f, 1.2f), "-1.23");
  EXPECT_EQ(FormatDigits(0.42f, 1.2f), " 0.42");
  EXPECT_EQ(FormatDigits(1.5f, 1.1f), " 1.5");
  EXPECT_EQ(FormatDigits(-0.005f, 1.2f), "-0.01");
  EXPECT_EQ(FormatDigits(0, 1.2f), " 0.00");
  EXPECT_EQ(FormatDigits(12, 2.2f), " 12.00");  // field grows for a number wider than asked
  EXPECT_EQ(FormatDigits(12345, 3), " 12345");
  EXPECT_EQ(FormatDigits(0.5f, 4.2f), "   0.50");
}

TEST(FormatDigits, HalfUpOnTheDecimalDigitsAndTruncationForNegativeCodes) {
  // Rounded on the value as written, not on its binary neighbour just below.
  EXPECT_EQ(FormatDigits(1.005f, 1.2f), " 1.01");
  EXPECT_EQ(FormatDigits(0.125f, 1.2f), " 0.13");
  EXPECT_EQ(FormatDigits(2.5f, 1), " 3");
  EXPECT_EQ(FormatDigits(-2.5f, 1), "-3");
  EXPECT_EQ(FormatDigits(1.999f, -1.2f), " 1.99");
  EXPECT_EQ(FormatDigits(-1.999f, -1.2f), "-1.99");
  EXPECT_EQ(FormatDigits(0.1f, 1.2f), " 0.10");
}

TEST(FormatDigits, PlainTextAndRejectedCodes) {
  EXPECT_EQ(FormatDigits(0.25f, 0), " 0.25");
  EXPECT_EQ(FormatDigits(-0.5f, 0), "-0.5");
  EXPECT_EQ(FormatDigits(12, 0), " 12");
  EXPECT_EQ(FormatDigits(1.2345678f, 0), " 1.234568");
  EXPECT_EQ(FormatDigits(3.5f, 101), "Error: IntFrac= 101 ");
  EXPECT_EQ(FormatDigits(3.5f, -201), "Error: IntFrac= 201 ");
  EXPECT_EQ(FormatDigits(3.5f, 1e30f), "Error: IntFrac= 1E+30 ");
  // Past the range of an int once divided by 100: refused before any conversion.
  EXPECT_EQ(FormatDigits(3.5f, 2.5e11f), "Error: IntFrac= 2.5E+11 ");
  EXPECT_EQ(FormatDigits(3.5f, -3e12f), "Error: IntFrac= 3E+12 ");
}

TEST(FormatDigits, OddInputsGiveTextNotACrash) {
  EXPECT_EQ(FormatDigits(1e20f, 14), " 100000000000000000000");
  EXPECT_EQ(FormatDigits(std::numeric_limits<float>::quiet_NaN(), 103), "  NaN");
  EXPECT_EQ(FormatDigits(-std::numeric_limits<float>::infinity(), 1.2f), " -Inf");
  EXPECT_EQ(FormatDigits(1e-30f, 1.2f), " 0.00");
}

TEST(FormatValue, ExamplesOfTheResultTables) {
  EXPECT_EQ(FormatValue(0.002f, "V", 14), "             2 mV");
  EXPECT_EQ(FormatValue(0.0032f, ";V", 103), "3.20 mV");
  EXPECT_EQ(FormatValue(-0.99f, "V", 303), "  -990 mV");
  EXPECT_EQ(FormatValue(-5, "div", 3), " -5  div");
  EXPECT_EQ(FormatValue(50e6f, "Hz", 5), "   50 MHz");
  EXPECT_EQ(FormatValue(1.2e-4f, "s", 303), "   120 \xB5s");
}

TEST(FormatValue, ZeroCarryAndDroppedPrefix) {
  EXPECT_EQ(FormatValue(0, "V", 403), "   0.00  V");
  EXPECT_EQ(FormatValue(0.9997f, "V", 403), "   1.00  V");
  EXPECT_EQ(FormatValue(0.9996f, "V", 14), "             1  V");
  EXPECT_EQ(FormatValue(-0.998f, "", 103), " -998 ");
  EXPECT_EQ(FormatValue(999.7f, "Hz", 103), " 1.00 kHz");
  // A truncating code shows 999 and so needs no carry.
  EXPECT_EQ(FormatValue(0.9997f, "V", -403), "    999 mV");
}

TEST(FormatValue, EveryPrefixAndItsThreshold) {
  EXPECT_EQ(FormatValue(1.5e-10f, "s", 104), " 150.0 ps");
  EXPECT_EQ(FormatValue(2e-9f, "s", 103), " 2.00 ns");
  EXPECT_EQ(FormatValue(1e-6f, "V", 103), " 1.00 \xB5V");
  EXPECT_EQ(FormatValue(0.001f, "V", 103), " 1.00 mV");
  EXPECT_EQ(FormatValue(1, "V", 103), " 1.00  V");
  EXPECT_EQ(FormatValue(1000, "Hz", 103), " 1.00 kHz");
  EXPECT_EQ(FormatValue(2.5e9f, "Hz", 104), " 2.500 GHz");
  EXPECT_EQ(FormatValue(3e12f, "Hz", 103), " 3.00 THz");
  EXPECT_EQ(FormatValue(-250e3f, "Hz", 303), "  -250 kHz");
  // Blanks around a unit that takes a prefix go; the prefix sits right before it.
  EXPECT_EQ(FormatValue(0.5f, " V ", 103), "  500 mV");
}

TEST(FormatValue, SemicolonsStripBlanksAndAreNotShown) {
  EXPECT_EQ(FormatValue(0.5f, "V;", 1103), "           500 mV");
  EXPECT_EQ(FormatValue(0.5f, ";V;", 1103), "500 mV");
  EXPECT_EQ(FormatValue(2, ";V", 14), "2  V");
  EXPECT_EQ(FormatValue(-0.998f, ";", 103), "-998 ");
  // The trailing ';' strips blanks even when the unit leaves some at the end.
  EXPECT_EQ(FormatValue(2, "V ;", 5), "    2  V");
}

TEST(FormatValue, IgnoresTheProcessLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE")) GTEST_SKIP() << "no German locale";
  std::string value = FormatValue(0.0032f, "V", 104);
  std::string digits = FormatDigits(-1.234f, 1.2f);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(value, " 3.200 mV");
  EXPECT_EQ(digits, "-1.23");
}

}  // namespace
}  // namespace veridane
