#include "platform/mess_box_style.h"

#include <array>
#include <gtest/gtest.h>

#include "platform/operator.h"

namespace veridane {
namespace {

// The fields as the style number holds them, named or not.
Buttons B(int n) { return static_cast<Buttons>(n); }
Icon I(int n) { return static_cast<Icon>(n); }
DefaultButton D(int n) { return static_cast<DefaultButton>(n); }

TEST(MessBoxStyle, SplitsTheThreeFields) {
  EXPECT_EQ(DecodeStyle(36).buttons, B(4));
  EXPECT_EQ(DecodeStyle(36).icon, I(2));
  EXPECT_EQ(DecodeStyle(36).defaultButton, D(0));

  const BoxStyle full = DecodeStyle(3 + 48 + 512);
  EXPECT_EQ(full.buttons, B(3));
  EXPECT_EQ(full.icon, I(3));
  EXPECT_EQ(full.defaultButton, D(2));

  // Up to 15 the value is the button set alone.
  EXPECT_EQ(DecodeStyle(5).buttons, B(5));
  EXPECT_EQ(DecodeStyle(5).icon, I(0));
}

// Every style the program asks with reaches the technician's side as the number the window,
// the console and the virtual technician decode, and decodes back to what was asked.
TEST(MessBoxStyle, EveryStyleTheProgramUsesRoundTripsThroughItsNumber) {
  struct Case {
    BoxStyle style;
    int16_t code;
  };
  const Case cases[] = {
      {kOkOnly, 0},
      {kOkCancel, 1},
      {kAbortRetryIgnore, 2},
      {kYesNoCancel, 3},
      {kYesNo, 4},
      {kRetryCancel, 5},
      {kCritical, 16},
      {kQuestion, 32},
      {kExclamation, 48},
      {kInformation, 64},
      {kOkOnly + kCritical, 16},
      {kOkOnly + kExclamation, 48},
      {kOkOnly + kInformation, 64},
      {kOkCancel + kCritical, 17},
      {kOkCancel + kExclamation, 49},
      {kOkCancel + kInformation, 65},  // a test's prompt
      {kYesNoCancel + kCritical, 19},
      {kYesNoCancel + kQuestion, 35},
      {kYesNo + kCritical, 20},
      {kYesNo + kQuestion, 36},
      {kYesNo + kExclamation, 52},
      {kYesNo + kQuestion + kDefaultButton2, 292},
      {kYesNoCancel + kDefaultButton3, 515},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.style.Code(), c.code);
    EXPECT_EQ(BoxStyle::FromCode(c.code), c.style) << c.code;
  }
  // A test's prompt adds its icon to the buttons it was given, whatever icon they came with.
  EXPECT_EQ((kOkOnly + kCritical + kInformation).Code(), 64);
  EXPECT_EQ((kYesNo + kQuestion + kDefaultButton2 + kInformation).Code(), 4 + 64 + 256);
}

TEST(MessBoxStyle, IgnoresBitsAboveEleven) {
  const BoxStyle decoded = DecodeStyle(static_cast<int16_t>(4096 + 256 + 64 + 1));
  EXPECT_EQ(decoded.buttons, B(1));
  EXPECT_EQ(decoded.icon, I(4));
  EXPECT_EQ(decoded.defaultButton, D(1));
  // A negative number is its 16 bits: 0xFFFF keeps 15 in every field.
  const BoxStyle negative = DecodeStyle(-1);
  EXPECT_EQ(negative.buttons, B(15));
  EXPECT_EQ(negative.icon, I(15));
  EXPECT_EQ(negative.defaultButton, D(15));
}

TEST(MessBoxStyle, TitleHasBlankCaptionAndMarker) {
  EXPECT_EQ(MessBoxTitle("Disable Auto Mode", DecodeStyle(36).icon), " Disable Auto Mode  < ? >");
  EXPECT_EQ(MessBoxTitleLine("Disable Auto Mode", DecodeStyle(36).icon), " DISABLE AUTO MODE  < ? >");
  EXPECT_EQ(MessBoxTitle("GPIB Error", DecodeStyle(49).icon), " GPIB Error  < ! >");
  EXPECT_EQ(MessBoxTitle("TDS", DecodeStyle(19).icon), " TDS  <Critical>");
  EXPECT_EQ(MessBoxTitle("Setup", DecodeStyle(64).icon), " Setup  <Info>");
  EXPECT_EQ(MessBoxTitle("Current Module versions", DecodeStyle(0).icon), " Current Module versions");
  // The caption is trimmed; an unknown icon kind has no marker.
  EXPECT_EQ(MessBoxTitle("  Setup  ", I(0)), " Setup");
  EXPECT_EQ(MessBoxTitle("Setup", I(5)), " Setup");
  // Only ASCII letters change case in the title line: "µ" stays as it is.
  EXPECT_EQ(MessBoxTitleLine("5 \xB5s", I(0)), " 5 \xB5S");
}

TEST(MessBoxStyle, ButtonCaptionsByIndexRightmostFirst) {
  EXPECT_EQ(CaptionsForSet(B(0)), (ButtonCaptions{"OK", "", ""}));
  EXPECT_EQ(CaptionsForSet(B(1)), (ButtonCaptions{"Cancel", "OK", ""}));
  EXPECT_EQ(CaptionsForSet(B(2)), (ButtonCaptions{"Ignore", "Retry", "Abort"}));
  EXPECT_EQ(CaptionsForSet(B(3)), (ButtonCaptions{"Cancel", "No", "Yes"}));
  EXPECT_EQ(CaptionsForSet(B(4)), (ButtonCaptions{"No", "Yes", ""}));
  EXPECT_EQ(CaptionsForSet(B(5)), (ButtonCaptions{"Cancel", "Retry", ""}));
  // A set the box does not know still gets a button that answers.
  EXPECT_EQ(CaptionsForSet(B(9)), (ButtonCaptions{"OK", "", ""}));
  EXPECT_EQ(VisibleButtonCount(B(2)), 3);
  EXPECT_EQ(VisibleButtonCount(B(4)), 2);
  EXPECT_EQ(VisibleButtonCount(B(15)), 1);
}

TEST(MessBoxStyle, CodesFromCaptions) {
  EXPECT_EQ(AnswerFromCaption("OK"), kOk);
  EXPECT_EQ(AnswerFromCaption("Cancel"), kCancel);
  EXPECT_EQ(AnswerFromCaption("Abort"), kAbort);
  EXPECT_EQ(AnswerFromCaption("Retry"), kRetry);
  EXPECT_EQ(AnswerFromCaption("Ignore"), kIgnore);
  EXPECT_EQ(AnswerFromCaption("Yes"), kYes);
  EXPECT_EQ(AnswerFromCaption("No"), kNo);
  EXPECT_FALSE(AnswerFromCaption("yes").has_value());
  EXPECT_FALSE(AnswerFromCaption("").has_value());
  // An answers file may name a button by its code; only the seven codes are buttons.
  EXPECT_EQ(BoxAnswerFromCode(6), kYes);
  EXPECT_EQ(BoxAnswerFromCode(1), kOk);
  EXPECT_FALSE(BoxAnswerFromCode(0).has_value());
  EXPECT_FALSE(BoxAnswerFromCode(8).has_value());
}

TEST(MessBoxStyle, CloseBoxGivesCancelOrTheRightmostButton) {
  EXPECT_EQ(CloseBoxAnswer(B(0)), kOk);
  EXPECT_EQ(CloseBoxAnswer(B(1)), kCancel);
  EXPECT_EQ(CloseBoxAnswer(B(2)), kIgnore);
  EXPECT_EQ(CloseBoxAnswer(B(3)), kCancel);
  EXPECT_EQ(CloseBoxAnswer(B(4)), kNo);
  EXPECT_EQ(CloseBoxAnswer(B(5)), kCancel);
  EXPECT_EQ(CloseBoxAnswer(B(12)), kOk);
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
      const BoxStyle style = DecodeStyle(static_cast<int16_t>(c.set + 48 + field * 256));
      EXPECT_EQ(CaptionsForSet(B(c.set))[static_cast<size_t>(InitialFocusIndex(style))], c.focused[static_cast<size_t>(field)])
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

namespace veridane {
namespace {

TEST(MessBoxStyle, EscapeAnswersNoWayOutThatEndsWork) {
  EXPECT_EQ(EscapeAnswer(kOkCancel), kCancel);
  EXPECT_EQ(EscapeAnswer(kYesNo), kNo);
  for (const Buttons set : {kOkCancel, kYesNoCancel, kYesNo, kRetryCancel, kAbortRetryIgnore})
    EXPECT_EQ(EscapeAnswer(set, true), std::nullopt) << static_cast<int>(set);
  EXPECT_EQ(EscapeAnswer(kOkOnly, true), kOk);  // a single OK ends nothing
}

// The boxes whose Cancel ends the program say so in their text; a box that only mentions
// Cancel does not count.
TEST(MessBoxStyle, ABoxSaysWhenItsCancelEndsTheProgram) {
  EXPECT_TRUE(CancelEndsProgram("ENOL: No listeners\nSelect OK to continue or Cancel to terminate program."));
  EXPECT_TRUE(CancelEndsProgram("Comp file missing\nAuto mode for Bandwidth test disabled.\n\nCancel terminates this application."));
  EXPECT_TRUE(CancelEndsProgram("... it may not be used.\n\nOK runs anyway, and every record of the run says so; Cancel ends the program."));
  EXPECT_FALSE(CancelEndsProgram("To capture this Incoming Message the previous must be cleared.\n\nIf you select cancel you "
                                 "will have to resend the query !"));
  EXPECT_FALSE(CancelEndsProgram("Insert a 50 ohm termination in the path to all scope inputs."));
}

}  // namespace
}  // namespace veridane
