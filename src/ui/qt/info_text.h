#pragma once
// What the info window shows after a ShowInfo call, apart from the window that shows it.
#include <string>
#include <string_view>

namespace veridane {

struct InfoChange {
  std::string text;  // the window's new text; empty = the window closes
  bool show = false;  // the window must be shown (it was not visible before)
};

// Empty text closes; "+rest" adds rest as a new line; anything else replaces the text.
// `visible` is whether the window is on screen now. A "+" line arriving while nothing is
// shown opens the window with that line alone, so the text is never lost or led by a blank line.
InfoChange NextInfoText(std::string_view current, bool visible, std::string_view text);

}  // namespace veridane
