#include <gtest/gtest.h>

#include <random>
#include <string>

#include "report/format.h"

namespace veridane {
namespace {

std::string Chars(std::initializer_list<int> codes) {
  std::string s;
  for (int c : codes) s += static_cast<char>(c);
  return s;
}

TEST(CompactLine, ExampleAndShortBlankRuns) {
  EXPECT_EQ(CompactLine("CH 1     2 mV"), "CH 1" + Chars({1, 35}) + "2" + Chars({5}));
  EXPECT_EQ(CompactLine("a  b c"), "a  b c");
  EXPECT_EQ(CompactLine(""), "");
  EXPECT_EQ(ExpandLine(""), "");
  EXPECT_EQ(CompactLine("   "), Chars({1, 33}));
}

TEST(CompactLine, EveryAbbreviation) {
  EXPECT_EQ(CompactLine("VERTICAL SCALE"), Chars({2}));
  EXPECT_EQ(CompactLine("a - b"), "a" + Chars({3}) + "b");
  EXPECT_EQ(CompactLine("MEASURED"), Chars({4}));
  EXPECT_EQ(CompactLine("1 mV"), "1" + Chars({5}));
  EXPECT_EQ(CompactLine("1 \xB5V"), "1" + Chars({6}));
  EXPECT_EQ(CompactLine("div"), Chars({7}));
  EXPECT_EQ(CompactLine("1 MHz"), "1" + Chars({8}));
  EXPECT_EQ(CompactLine("LIMITS"), Chars({14}) + "S");
  EXPECT_EQ(CompactLine("PASS/FAIL"), Chars({15}) + "/" + Chars({16}));
  EXPECT_EQ(CompactLine("PASSPASS"), Chars({15, 15}));
}

TEST(CompactLine, BlanksAreCompactedBeforeTextsThatContainBlanks) {
  // The " - " inside a long blank run stays part of the run.
  EXPECT_EQ(CompactLine("a   - b"), "a" + Chars({1, 33}) + "-" + " b");
  EXPECT_EQ(CompactLine(" -998 -  -982 mV"), " -998" + Chars({3}) + " -982" + Chars({5}));
}

TEST(ExpandLine, RestoresBlanksAndTexts) {
  EXPECT_EQ(ExpandLine("CH 1" + Chars({1, 35}) + "2" + Chars({5})), "CH 1     2 mV");
  EXPECT_EQ(ExpandLine(Chars({15, 3, 16, 14, 4, 2, 7, 6, 8})), "PASS - FAILLIMITMEASUREDVERTICAL SCALEdiv \xB5V MHz");
  // Tab, line feed, vertical tab, form feed and carriage return pass through both ways.
  EXPECT_EQ(CompactLine("a\t\n\v\f\rb"), "a\t\n\v\f\rb");
  EXPECT_EQ(ExpandLine("a\t\n\v\f\rb"), "a\t\n\v\f\rb");
}

TEST(ExpandLine, DamagedLinesKeepTheirBytes) {
  EXPECT_EQ(ExpandLine("ab" + Chars({1})), "ab" + Chars({1}));
  EXPECT_EQ(ExpandLine(Chars({1, 20}) + "x"), Chars({1, 20}) + "x");
}

TEST(CompactLine, RoundTripsResultRows) {
  const char* rows[] = {
      " CH 1             2 mV/div           \xB1" "3.20 mV           500 \xB5V            PASS",
      " CH 1   5 mV/div  0  div-1.00  V  -990 mV    -998 -  -982 mV   -991 mV    PASS",
      " CH 1  50 mV/div -5  div-1.00  V-900/-600 mV  286 -   314 mV    300 mV    PASS",
      "CHANNEL       VERTICAL SCALE          LIMITS           MEASURED        PASS/FAIL",
      "  CH  VERT SCALE  POS    OFFSET  DC VOLTAGE     LIMITS        MEASURED PASS/FAIL",
      "Offset at Zero - Test ACQ / 1 of 3",
      "TEST SEQUENCE TERMINATED BY OPERATOR.",
      "   ",
      "    trailing    ",
  };
  for (const char* row : rows) {
    std::string compact = CompactLine(row);
    EXPECT_LE(compact.size(), std::string(row).size());
    EXPECT_EQ(ExpandLine(compact), row);
  }
}

TEST(CompactLine, RoundTripsWhenARunLengthSpellsTheStartOfAWord) {
  // 56 blanks are stored as character 86, "V": followed by "ERTICAL SCALE" it would read as
  // "VERTICAL SCALE" and be abbreviated away. The same for the other words.
  for (const char* word : {"VERTICAL SCALE", "MEASURED", "LIMIT", "PASS", "FAIL", "div"}) {
    std::string line = "x" + std::string(static_cast<size_t>(word[0] - 30), ' ') + (word + 1);
    EXPECT_EQ(ExpandLine(CompactLine(line)), line) << word;
  }
}

TEST(CompactLine, RoundTripsVeryLongBlankRuns) {
  for (size_t n : {224u, 225u, 226u, 227u, 228u, 450u, 1000u}) {
    std::string line = "a" + std::string(n, ' ') + "b";
    std::string compact = CompactLine(line);
    EXPECT_EQ(ExpandLine(compact), line) << n;
    EXPECT_LT(compact.size(), 20u) << n;
  }
}

TEST(CompactLine, RoundTripsRandomRowsOfTableMaterial) {
  const std::vector<std::string> pieces = {" ",  "  ",  "   ", "    ",      "-",        " - ", "mV",   " mV",
                                           "V",  "MHz", "Hz",  " \xB5V",    "\xB1",     "div", "PASS", "FAIL",
                                           "AS", "IL",  "IMIT", "ERTICAL", "EASURED", "iv",  "1.00", "-998",
                                           "M",  "L",   "P",    "F",        "d",        "/",   "CH 1", "LIMIT"};
  std::mt19937 random(1234);
  for (int i = 0; i < 3000; ++i) {
    std::string line;
    int count = static_cast<int>(random() % 14);
    for (int k = 0; k < count; ++k) {
      if (random() % 5 == 0)
        line += std::string(random() % 80, ' ');
      else
        line += pieces[random() % pieces.size()];
    }
    ASSERT_EQ(ExpandLine(CompactLine(line)), line) << '"' << line << '"';
  }
}

}  // namespace
}  // namespace veridane
