#pragma once
// What a message box shows and answers, decided from the three things every caller passes (text,
// style number, caption). Kept apart from the window so that the rules are tested without one.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/box_style.h"
#include "platform/operator.h"

namespace veridane {

// The style number a box was asked with, as the value it stands for (BoxStyle::FromCode).
BoxStyle DecodeStyle(int16_t style);

// "  <Critical>", "  < ? >", "  < ! >", "  <Info>", or nothing.
std::string IconMarker(Icon icon);

// The window's own caption: " " + trimmed caption + marker. The title line inside the box shows
// the same text in upper case (MessBoxTitleLine).
std::string MessBoxTitle(std::string_view caption, Icon icon);
std::string MessBoxTitleLine(std::string_view caption, Icon icon);

// Captions of Button(0) (rightmost), Button(1) and Button(2) (leftmost); empty = hidden.
// A button set the box does not know shows a single OK button, so every box can be answered.
using ButtonCaptions = std::array<std::string, 3>;
ButtonCaptions CaptionsForSet(Buttons buttons);
int VisibleButtonCount(Buttons buttons);

// The answer of a pressed button, from its caption; nothing for a caption not in the table.
std::optional<BoxAnswer> AnswerFromCaption(std::string_view caption);

// The answer when the box is closed through its window frame rather than a button: Cancel where
// the set has a Cancel button, otherwise the answer of Button(0), the rightmost one.
BoxAnswer CloseBoxAnswer(Buttons buttons);

// The answer Escape gives: the box's way out (Cancel, else No, else the only button). A box
// whose every button acts (Abort/Retry/Ignore) has none, and Escape leaves it open. Nor has a
// box whose Cancel or No ends work (`wayOutEndsWork`: the program, a running test or a
// sequence): a key pressed by habit, or meant for another window, must not end it. Only the
// box's single OK is answered then.
std::optional<BoxAnswer> EscapeAnswer(Buttons buttons, bool wayOutEndsWork = false);

// The box says itself that its Cancel ends the program ("Select OK to continue or Cancel to
// terminate program.", "Cancel terminates this application.").
bool CancelEndsProgram(std::string_view text);

// The button that has the focus when the box opens (an index into ButtonCaptions, 0 the
// rightmost): the style's default button when it is shown, otherwise the leftmost shown button.
int InitialFocusIndex(const BoxStyle& style);

// Line breaks as the callers write them (LF, sometimes CR LF) made into plain LF.
std::string MessageLines(std::string_view text);

// Geometry of the box in twips, from the measured sizes of the message and the title line.
struct MessBoxGeometry {
  int windowWidth = 0;
  int windowHeight = 0;  // client area
  int labelWidth = 0;    // the message label, widened to the minimum for the buttons
  int captionTop = 0;
  int lineTop = 0;
  int frameTop = 0;
  int frameHeight = 0;
  int labelLeft = 0;
  int labelTop = 0;
  int buttonTop = 0;
  int buttonWidth = 0;
  int buttonHeight = 0;
  std::array<int, 3> buttonLeft{};  // Button(0), (1), (2)
};

MessBoxGeometry LayOutMessBox(int labelWidth, int labelHeight, int titleWidth, int buttonCount);

}  // namespace veridane
