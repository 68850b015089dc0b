#include "platform/mess_box_style.h"

#include <algorithm>

#include "platform/operator.h"
#include "platform/text8.h"

namespace veridane {

BoxStyle DecodeStyle(int16_t style) { return BoxStyle::FromCode(style); }

std::string IconMarker(Icon icon) {
  switch (icon) {
    case Icon::Critical: return "  <Critical>";
    case Icon::Question: return "  < ? >";
    case Icon::Exclamation: return "  < ! >";
    case Icon::Information: return "  <Info>";
    default: return {};
  }
}

std::string MessBoxTitle(std::string_view caption, Icon icon) { return " " + Trim(caption) + IconMarker(icon); }

std::string MessBoxTitleLine(std::string_view caption, Icon icon) { return UpperCase(MessBoxTitle(caption, icon)); }

ButtonCaptions CaptionsForSet(Buttons buttons) {
  switch (buttons) {
    case Buttons::OkCancel: return {"Cancel", "OK", ""};
    case Buttons::AbortRetryIgnore: return {"Ignore", "Retry", "Abort"};
    case Buttons::YesNoCancel: return {"Cancel", "No", "Yes"};
    case Buttons::YesNo: return {"No", "Yes", ""};
    case Buttons::RetryCancel: return {"Cancel", "Retry", ""};
    default: return {"OK", "", ""};
  }
}

int VisibleButtonCount(Buttons buttons) {
  const ButtonCaptions captions = CaptionsForSet(buttons);
  return static_cast<int>(std::count_if(captions.begin(), captions.end(),
                                        [](const std::string& c) { return !c.empty(); }));
}

std::optional<BoxAnswer> AnswerFromCaption(std::string_view caption) {
  if (caption == "OK") return kOk;
  if (caption == "Cancel") return kCancel;
  if (caption == "Abort") return kAbort;
  if (caption == "Retry") return kRetry;
  if (caption == "Ignore") return kIgnore;
  if (caption == "Yes") return kYes;
  if (caption == "No") return kNo;
  return std::nullopt;
}

BoxAnswer CloseBoxAnswer(Buttons buttons) {
  const ButtonCaptions captions = CaptionsForSet(buttons);
  if (std::find(captions.begin(), captions.end(), "Cancel") != captions.end()) return kCancel;
  return AnswerFromCaption(captions[0]).value_or(kOk);
}

std::optional<BoxAnswer> EscapeAnswer(Buttons buttons, bool wayOutEndsWork) {
  const ButtonCaptions captions = CaptionsForSet(buttons);
  for (std::string_view wayOut : {"Cancel", "No"})
    if (std::find(captions.begin(), captions.end(), wayOut) != captions.end())
      return wayOutEndsWork ? std::nullopt : AnswerFromCaption(wayOut);
  if (VisibleButtonCount(buttons) == 1) return AnswerFromCaption(captions[0]);
  return std::nullopt;
}

bool CancelEndsProgram(std::string_view text) {
  const std::string upper = UpperCase(text);
  for (std::string_view says : {"CANCEL TO TERMINATE", "CANCEL TERMINATES", "CANCEL ENDS THE PROGRAM"})
    if (upper.find(says) != std::string::npos) return true;
  return false;
}

int InitialFocusIndex(const BoxStyle& style) {
  const ButtonCaptions captions = CaptionsForSet(style.buttons);
  const int wanted = static_cast<int>(style.defaultButton);
  if (wanted >= 1 && wanted <= 2 && !captions[static_cast<size_t>(wanted)].empty()) return wanted;
  // As in the platform boxes the style numbers come from: the first button as read, left to
  // right, answers Enter. That is OK, Yes, Retry or Abort, never the Cancel or No that ends a
  // run or the program, so a technician who presses Enter out of habit loses nothing.
  for (int i = 2; i > 0; --i)
    if (!captions[static_cast<size_t>(i)].empty()) return i;
  return 0;
}

std::string MessageLines(std::string_view text) {
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return lines;
}

MessBoxGeometry LayOutMessBox(int labelWidth, int labelHeight, int titleWidth, int buttonCount) {
  constexpr int kOneLine = 255;     // a single line of message text
  constexpr int kSideMargins = 310;
  constexpr int kButtonPitch = 1200;
  MessBoxGeometry g;
  const int textHeight = std::max(labelHeight, kOneLine);
  const int minimum = buttonCount >= 3 ? 3515 : buttonCount == 2 ? 2315 : 1115;

  g.labelWidth = std::max(labelWidth, minimum);
  g.windowWidth = g.labelWidth + kSideMargins;
  if (titleWidth > g.windowWidth - kSideMargins) g.windowWidth = titleWidth + kSideMargins;

  g.captionTop = 90;
  g.lineTop = 420;
  g.frameTop = 480;
  g.frameHeight = textHeight + 240;
  g.labelLeft = kSideMargins / 2;
  g.labelTop = g.frameTop + 120;
  g.buttonTop = g.frameTop + textHeight + 345;
  g.buttonWidth = 1095;
  g.buttonHeight = 375;
  g.windowHeight = g.buttonTop + g.buttonHeight + 150;
  for (int i = 0; i < 3; ++i) g.buttonLeft[static_cast<size_t>(i)] = g.windowWidth - 1305 - i * kButtonPitch;
  return g;
}

}  // namespace veridane
