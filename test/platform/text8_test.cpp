#include "platform/text8.h"

#include <gtest/gtest.h>

namespace veridane {
namespace {

TEST(Text8, MicroAndPlusMinusRoundTrip) {
  std::string text8 = "20.0 \xB5V \xB1" "2%";
  std::string utf8 = Utf8FromText8(text8);
  EXPECT_EQ(utf8, "20.0 \xC2\xB5V \xC2\xB1" "2%");
  EXPECT_EQ(Text8FromUtf8(utf8), text8);
}

TEST(Text8, HighControlRangeAndUnmappable) {
  EXPECT_EQ(Utf8FromText8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Text8FromUtf8("\xE2\x82\xAC"), "\x80");
  EXPECT_EQ(Text8FromUtf8("\xE2\x88\x9E"), "?");     // infinity has no byte
  EXPECT_EQ(Text8FromUtf8("a\xB5z"), "a\xB5z");      // stray 8-bit byte kept
  EXPECT_EQ(Text8FromUtf8("\xC2"), "\xC2");          // cut sequence kept
  for (int b = 0; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Text8FromUtf8(Utf8FromText8(one)), one) << b;
  }
}

TEST(Text8, TrimAndUpperCase) {
  EXPECT_EQ(Trim("  TDS 340 "), "TDS 340");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(UpperCase("Disable auto \xB5"), "DISABLE AUTO \xB5");
}

}  // namespace
}  // namespace veridane
