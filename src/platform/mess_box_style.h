#pragma once
// What a message box shows and answers, decided from the three things every caller passes (text,
// style number, caption). Kept apart from the window so that the rules are tested without one.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veridane {

// The three 4-bit fields of a style number. Bits above 11 are ignored.
struct MessBoxStyle {
  int buttonSet = 0;      // 0 OK ... 5 Retry/Cancel
  int iconKind = 0;       // 0 none, 1 critical, 2 question, 3 exclamation, 4 information
  int defaultButton = 0;  // index into the button array (0 = rightmost)
};

MessBoxStyle DecodeStyle(int16_t style);

// "  <Critical>", "  < ? >", "  < ! >", "  <Info>", or nothing.
std::string IconMarker(int iconKind);

// The window's own caption: " " + trimmed caption + marker. The title line inside the box shows
// the same text in upper case (MessBoxTitleLine).
std::string MessBoxTitle(std::string_view caption, int iconKind);
std::string MessBoxTitleLine(std::string_view caption, int iconKind);

// Captions of Button(0) (rightmost), Button(1) and Button(2) (leftmost); empty = hidden.
// A button set the box does not know shows a single OK button, so every box can be answered.
using ButtonCaptions = std::array<std::string, 3>;
ButtonCaptions CaptionsForSet(int buttonSet);
int VisibleButtonCount(int buttonSet);

// The code of a pressed button, from its caption; nothing for a caption not in the table.
std::optional<int16_t> CodeFromCaption(std::string_view caption);

// The answer when the box is closed through its window frame rather than a button: Cancel where
// the set has a Cancel button, otherwise the code of Button(0), the rightmost one.
int16_t CloseBoxAnswer(int buttonSet);

// The answer Escape gives: the box's way out (Cancel, else No, else the only button). A box
// whose every button acts (Abort/Retry/Ignore) has none, and Escape leaves it open.
std::optional<int16_t> EscapeAnswer(int buttonSet);

// The button that has the focus when the box opens: the style's default button when it is shown,
// otherwise the leftmost shown button.
int InitialFocusIndex(const MessBoxStyle& style);

// Line breaks as the callers write them (LF, sometimes CR LF) made into plain LF.
std::string MessageLines(std::string_view text);

// Base-2 digits of value, most significant first, padded with zeros to at least `digits`.
std::string DecToBin(uint32_t value, int digits);
// The decimal value of a base-2 digit text, blanks ignored. Text holding anything but 0, 1 and
// blanks, or more digits than fit in 64 bits, is not a base-2 number and gives "0".
std::string BinToDec(std::string_view digits);

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
