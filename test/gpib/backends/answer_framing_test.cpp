// Where an adapter's answer ends, whatever pieces it arrives in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gpib/backends/answer_framing.h"

namespace veridane {
namespace {

constexpr size_t npos = std::string_view::npos;
const std::string kEnd(1, '\x04');

// Feeds the pieces in turn; the piece and index where the answer ended, or {-1, npos}.
std::pair<int, size_t> EndIn(AnswerFraming& framing, const std::vector<std::string>& pieces) {
  for (size_t i = 0; i < pieces.size(); ++i) {
    const size_t at = framing.Scan(pieces[i]);
    if (at != npos) return {static_cast<int>(i), at};
  }
  return {-1, npos};
}

TEST(AnswerFraming, TextEndsAtTheEndCharacterAndBlocksHoldItAsData) {
  AnswerFraming text('\x04');
  EXPECT_EQ(EndIn(text, {"1.5E-3\n" + kEnd}), (std::pair<int, size_t>{0, 7}));

  // A definite block whose pieces each end on a byte 4: only the one after it ends.
  AnswerFraming block('\x04');
  EXPECT_EQ(EndIn(block, {"CURV #15", "AB" + kEnd, "C" + kEnd, "\n" + kEnd}), (std::pair<int, size_t>{3, 1}));

  // The header itself split between pieces.
  AnswerFraming split('\x04');
  EXPECT_EQ(EndIn(split, {"#", "2", "0", "3" + kEnd + kEnd, "\n" + kEnd}), (std::pair<int, size_t>{4, 1}));

  // An indefinite block ends at the end character right after its LF.
  AnswerFraming indefinite('\x04');
  EXPECT_EQ(EndIn(indefinite, {"#0A" + kEnd, "\n", "B\n" + kEnd}), (std::pair<int, size_t>{2, 2}));

  // "#" inside a word is no block: the end character that follows still ends the text.
  AnswerFraming word('\x04');
  EXPECT_EQ(EndIn(word, {"SN#12\n" + kEnd}), (std::pair<int, size_t>{0, 6}));

  // An end character with more bytes behind it in the same piece is data.
  AnswerFraming behind('\x04');
  EXPECT_EQ(EndIn(behind, {"A" + kEnd + "B" + kEnd}), (std::pair<int, size_t>{0, 3}));
}

// Closed: the end needs no look behind it. Only where no data byte 4 can stand.
bool ClosedAfter(const std::vector<std::string>& pieces) {
  AnswerFraming framing('\x04');
  return EndIn(framing, pieces).first >= 0 && framing.Closed();
}

TEST(AnswerFraming, AnEndIsClosedOnlyAfterTextOrAWholeBlock) {
  EXPECT_TRUE(ClosedAfter({"ID TEK/TDS 340\n" + kEnd}));
  EXPECT_TRUE(ClosedAfter({"CURVE #13", "\x04\x04\x04", "\n" + kEnd}));
  EXPECT_TRUE(ClosedAfter({"#13AB" + kEnd, kEnd})) << "the byte right after a block's last";
  EXPECT_TRUE(ClosedAfter({"#0\x04\x04\n" + kEnd}));

  EXPECT_FALSE(ClosedAfter({"1.5E-3" + kEnd})) << "no line end before it: binary may go on";
  AnswerFraming binary('\x04');
  binary.Scan("A" + kEnd);  // looked behind: more came, so it was data
  ASSERT_NE(binary.Scan("B\n" + kEnd), npos);
  EXPECT_FALSE(binary.Closed()) << "a data byte 4 made it binary";
  EXPECT_FALSE(ClosedAfter({std::string("\x01\x02\n") + kEnd})) << "binary without a block";
  EXPECT_FALSE(ClosedAfter({"#1", "x" + kEnd})) << "a malformed header";
}

TEST(AnswerFraming, TextIsBoundedAndOnlyADeclaredBlockMayBeLonger) {
  AnswerFraming text('\x04', 100, 1000);
  text.Scan(std::string(100, 'A'));
  EXPECT_FALSE(text.TooLong());
  text.Scan("A");
  EXPECT_TRUE(text.TooLong());

  AnswerFraming block('\x04', 100, 1000);
  block.Scan("#3500" + std::string(500, '\x04') + "\n");
  EXPECT_FALSE(block.TooLong());

  // A block that claims more than any may have is held to the block limit.
  AnswerFraming liar('\x04', 100, 1000);
  liar.Scan("#9999999999");
  liar.Scan(std::string(1000, 'B'));
  EXPECT_TRUE(liar.TooLong());
}

}  // namespace
}  // namespace veridane
