#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace veridane {
namespace {

TEST(PlainText, ExamplesFromTheInstrumentTraffic) {
  EXPECT_EQ(PlainText(0.002f), " .002");
  EXPECT_EQ(PlainText(-0.99f), "-.99");
  EXPECT_EQ(PlainText(5e7f), " 5E+07");
  EXPECT_EQ(PlainText(1e6f), " 1000000");
  EXPECT_EQ(PlainText(6.0f), " 6");
  EXPECT_EQ(PlainText(0.005f), " .005");
  EXPECT_EQ(PlainText(-1.0f), "-1");
  EXPECT_EQ(PlainText(100.0f), " 100");
  EXPECT_EQ(PlainText(-300.0f), "-300");
}

TEST(PlainText, ZeroSignAndSevenDigits) {
  EXPECT_EQ(PlainText(0.0f), " 0");
  EXPECT_EQ(PlainText(-0.0f), " 0");
  EXPECT_EQ(PlainText(1e7f), " 1E+07");
  EXPECT_EQ(PlainText(9999999.0f), " 9999999");
  EXPECT_EQ(PlainText(12345678.0f), " 1.234568E+07");
  EXPECT_EQ(PlainText(1.2345678f), " 1.234568");
  EXPECT_EQ(PlainText(-123.4567f), "-123.4567");
  EXPECT_EQ(PlainText(0.1f), " .1");  // not .1000000015
  EXPECT_EQ(PlainText(2.5e-3f), " .0025");
  EXPECT_EQ(PlainText(1e-4f), " .0001");
  EXPECT_EQ(PlainText(1.5e-5f), " 1.5E-05");
  EXPECT_EQ(PlainText(-2.5e9f), "-2.5E+09");
  EXPECT_EQ(PlainText(14), " 14");
  EXPECT_EQ(PlainText(-3), "-3");
  EXPECT_EQ(PlainText(0.1), " .1");
}

TEST(NumericValue, LeadingNumberOfTheText) {
  EXPECT_DOUBLE_EQ(NumericValue("  12.5V"), 12.5);
  EXPECT_DOUBLE_EQ(NumericValue("1E3x"), 1000);
  EXPECT_DOUBLE_EQ(NumericValue("-.5"), -0.5);
  EXPECT_DOUBLE_EQ(NumericValue("+7"), 7);
  EXPECT_DOUBLE_EQ(NumericValue("9.9E37"), 9.9e37);
  EXPECT_DOUBLE_EQ(NumericValue("6061B"), 6061);
  EXPECT_DOUBLE_EQ(NumericValue("03"), 3);
  EXPECT_DOUBLE_EQ(NumericValue("1.5E"), 1.5);  // exponent without digits is not part of it
  EXPECT_DOUBLE_EQ(NumericValue("2e+"), 2);
  EXPECT_DOUBLE_EQ(NumericValue("abc"), 0);
  EXPECT_DOUBLE_EQ(NumericValue(""), 0);
  EXPECT_DOUBLE_EQ(NumericValue("-"), 0);
  EXPECT_DOUBLE_EQ(NumericValue("."), 0);
  EXPECT_DOUBLE_EQ(NumericValue("\t 42 17"), 42);
  EXPECT_DOUBLE_EQ(NumericValue("1,5"), 1);  // a comma never continues a number
}

// A reply beyond a double's range must not read as 0 V and pass a test.
TEST(NumericValue, OutOfRangeIsInfiniteNotZero) {
  EXPECT_EQ(NumericValue("1E400"), HUGE_VAL);
  EXPECT_EQ(NumericValue("-1E400"), -HUGE_VAL);
  EXPECT_DOUBLE_EQ(NumericValue("1E-400"), 0);
}

// A technician with a German desktop: Qt sets the C locale from the environment, and the
// instruments must still get '.' as the decimal point.
TEST(Numbers, IgnoreAGermanLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
    GTEST_SKIP() << "de_DE locale not installed";
  EXPECT_EQ(PlainText(0.002f), " .002");
  EXPECT_EQ(PlainText(-1.25f), "-1.25");
  EXPECT_DOUBLE_EQ(NumericValue("1.5"), 1.5);
  EXPECT_DOUBLE_EQ(NumericValue("1,5"), 1);
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace veridane
