#include "platform/mess_box_style.h"

#include <array>
#include <gtest/gtest.h>

#include "platform/operator.h"

namespace veridane {
namespace {

TEST(MessBoxStyle, SplitsTheThreeFields) {
  EXPECT_EQ(DecodeStyle(36).buttonSet, 4);
  EXPECT_EQ(DecodeStyle(36).iconKind, 2);
  EXPECT_EQ(DecodeStyle(36).defaultButton, 0);

  const MessBoxStyle full = DecodeStyle(3 + 48 + 512);
  EXPECT_EQ(full.buttonSet, 3);
  EXPECT_EQ(full.iconKind, 3);
  EXPECT_EQ(full.defaultButton, 2);

  // Up to 15 the value is the button set alone.
  EXPECT_EQ(DecodeStyle(5).buttonSet, 5);
  EXPECT_EQ(DecodeStyle(5).iconKind, 0);
}

TEST(MessBoxStyle, IgnoresBitsAboveEleven) {
  const MessBoxStyle decoded = DecodeStyle(static_cast<int16_t>(4096 + 256 + 64 + 1));
  EXPECT_EQ(decoded.buttonSet, 1);
  EXPECT_EQ(decoded.iconKind, 4);
  EXPECT_EQ(decoded.defaultButton, 1);
  // A negative number is its 16 bits: 0xFFFF keeps 15 in every field.
  const MessBoxStyle negative = DecodeStyle(-1);
  EXPECT_EQ(negative.buttonSet, 15);
  EXPECT_EQ(negative.iconKind, 15);
  EXPECT_EQ(negative.defaultButton, 15);
}

TEST(MessBoxStyle, TitleHasBlankCaptionAndMarker) {
  EXPECT_EQ(MessBoxTitle("Disable Auto Mode", DecodeStyle(36).iconKind), " Disable Auto Mode  < ? >");
  EXPECT_EQ(MessBoxTitleLine("Disable Auto Mode", DecodeStyle(36).iconKind), " DISABLE AUTO MODE  < ? >");
  EXPECT_EQ(MessBoxTitle("GPIB Error", DecodeStyle(49).iconKind), " GPIB Error  < ! >");
  EXPECT_EQ(MessBoxTitle("TDS", DecodeStyle(19).iconKind), " TDS  <Critical>");
  EXPECT_EQ(MessBoxTitle("Setup", DecodeStyle(64).iconKind), " Setup  <Info>");
  EXPECT_EQ(MessBoxTitle("Current Module versions", DecodeStyle(0).iconKind), " Current Module versions");
  // The caption is trimmed; an unknown icon kind has no marker.
  EXPECT_EQ(MessBoxTitle("  Setup  ", 0), " Setup");
  EXPECT_EQ(MessBoxTitle("Setup", 5), " Setup");
  // Only ASCII letters change case in the title line: "µ" stays as it is.
  EXPECT_EQ(MessBoxTitleLine("5 \xB5s", 0), " 5 \xB5S");
}

TEST(MessBoxStyle, ButtonCaptionsByIndexRightmostFirst) {
  EXPECT_EQ(CaptionsForSet(0), (ButtonCaptions{"OK", "", ""}));
  EXPECT_EQ(CaptionsForSet(1), (ButtonCaptions{"Cancel", "OK", ""}));
  EXPECT_EQ(CaptionsForSet(2), (ButtonCaptions{"Ignore", "Retry", "Abort"}));
  EXPECT_EQ(CaptionsForSet(3), (ButtonCaptions{"Cancel", "No", "Yes"}));
  EXPECT_EQ(CaptionsForSet(4), (ButtonCaptions{"No", "Yes", ""}));
  EXPECT_EQ(CaptionsForSet(5), (ButtonCaptions{"Cancel", "Retry", ""}));
  // A set the box does not know still gets a button that answers.
  EXPECT_EQ(CaptionsForSet(9), (ButtonCaptions{"OK", "", ""}));
  EXPECT_EQ(VisibleButtonCount(2), 3);
  EXPECT_EQ(VisibleButtonCount(4), 2);
  EXPECT_EQ(VisibleButtonCount(15), 1);
}

TEST(MessBoxStyle, CodesFromCaptions) {
  EXPECT_EQ(CodeFromCaption("OK"), kOk);
  EXPECT_EQ(CodeFromCaption("Cancel"), kCancel);
  EXPECT_EQ(CodeFromCaption("Abort"), kAbort);
  EXPECT_EQ(CodeFromCaption("Retry"), kRetry);
  EXPECT_EQ(CodeFromCaption("Ignore"), kIgnore);
  EXPECT_EQ(CodeFromCaption("Yes"), kYes);
  EXPECT_EQ(CodeFromCaption("No"), kNo);
  EXPECT_FALSE(CodeFromCaption("yes").has_value());
  EXPECT_FALSE(CodeFromCaption("").has_value());
}

TEST(MessBoxStyle, CloseBoxGivesCancelOrTheRightmostButton) {
  EXPECT_EQ(CloseBoxAnswer(0), kOk);
  EXPECT_EQ(CloseBoxAnswer(1), kCancel);
  EXPECT_EQ(CloseBoxAnswer(2), kIgnore);
  EXPECT_EQ(CloseBoxAnswer(3), kCancel);
  EXPECT_EQ(CloseBoxAnswer(4), kNo);
  EXPECT_EQ(CloseBoxAnswer(5), kCancel);
  EXPECT_EQ(CloseBoxAnswer(12), kOk);
}

TEST(MessBoxStyle, InitialFocusIsTheLeftmostButtonUnlessTheDefaultFieldNamesAShownOne) {
  // Expected caption with the focus, per button set, for default fields 0, 1 (256) and 2 (512).
  struct Case {
    int set;
    std::array<const char*, 3> focused;
  };
  const Case cases[] = {
      {0, {"OK", "OK", "OK"}},
      {1, {"OK", "OK", "OK"}},
      {2, {"Abort", "Retry", "Abort"}},
      {3, {"Yes", "No", "Yes"}},
      {4, {"Yes", "Yes", "Yes"}},
      {5, {"Retry", "Retry", "Retry"}},
  };
  for (const Case& c : cases) {
    for (int field = 0; field < 3; ++field) {
      const MessBoxStyle style = DecodeStyle(static_cast<int16_t>(c.set + 48 + field * 256));
      EXPECT_EQ(CaptionsForSet(c.set)[static_cast<size_t>(InitialFocusIndex(style))], c.focused[static_cast<size_t>(field)])
          << "set " << c.set << " default field " << field;
    }
  }
  // A field beyond the three buttons names none: the leftmost keeps the focus.
  EXPECT_EQ(InitialFocusIndex(DecodeStyle(3 + 768)), 2);
}

TEST(MessBoxStyle, CrLfBecomesLf) {
  EXPECT_EQ(MessageLines("a\r\nb\nc"), "a\nb\nc");
  EXPECT_EQ(MessageLines("lone\rCR"), "lone\rCR");
  EXPECT_EQ(MessageLines("end\r"), "end\r");
}

TEST(MessBoxStyle, DecToBinAndBack) {
  EXPECT_EQ(DecToBin(36, 12), "000000100100");
  EXPECT_EQ(DecToBin(5, 2), "101");  // more digits when needed
  EXPECT_EQ(DecToBin(0, 4), "0000");
  EXPECT_EQ(DecToBin(0, 0), "");
  EXPECT_EQ(BinToDec("0010 0100"), "36");
  EXPECT_EQ(BinToDec(DecToBin(4095, 12)), "4095");
  EXPECT_EQ(BinToDec(""), "0");
  EXPECT_EQ(BinToDec("12"), "0");
  EXPECT_EQ(BinToDec(std::string(64, '1')), "18446744073709551615");
  EXPECT_EQ(BinToDec("1" + std::string(64, '0')), "0");  // does not fit; no silent wrap
  EXPECT_EQ(BinToDec(std::string(70, '0') + "11"), "3");  // leading zeros are not counted
}

TEST(MessBoxGeometry, OneLineBoxesHaveTheMinimumWidths) {
  EXPECT_EQ(LayOutMessBox(300, 200, 100, 1).windowWidth, 1425);
  EXPECT_EQ(LayOutMessBox(300, 200, 100, 2).windowWidth, 2625);
  const MessBoxGeometry three = LayOutMessBox(300, 200, 100, 3);
  EXPECT_EQ(three.windowWidth, 3825);
  EXPECT_EQ(three.labelWidth, 3515);
  // Buttons right-aligned, 1200 apart; the leftmost of three starts inside the window.
  EXPECT_EQ(three.buttonLeft[0], 3825 - 1305);
  EXPECT_EQ(three.buttonLeft[1], 3825 - 2505);
  EXPECT_EQ(three.buttonLeft[2], 120);
}

TEST(MessBoxGeometry, GrowsWithTextAndTitle) {
  const MessBoxGeometry wide = LayOutMessBox(6000, 255, 1000, 1);
  EXPECT_EQ(wide.windowWidth, 6310);
  EXPECT_EQ(wide.buttonLeft[0], 5005);

  const MessBoxGeometry title = LayOutMessBox(500, 255, 4000, 2);
  EXPECT_EQ(title.windowWidth, 4310);

  const MessBoxGeometry oneLine = LayOutMessBox(500, 255, 100, 1);
  const MessBoxGeometry eightLines = LayOutMessBox(500, 8 * 255, 100, 1);
  EXPECT_EQ(eightLines.frameHeight - oneLine.frameHeight, 7 * 255);
  EXPECT_EQ(eightLines.buttonTop - oneLine.buttonTop, 7 * 255);
  EXPECT_EQ(eightLines.windowHeight - oneLine.windowHeight, 7 * 255);
  // Buttons sit below the frame, inside the window.
  EXPECT_GT(eightLines.buttonTop, eightLines.frameTop + eightLines.frameHeight);
  EXPECT_LE(eightLines.buttonTop + eightLines.buttonHeight, eightLines.windowHeight);
}

}  // namespace
}  // namespace veridane
