#include "ui/qt/info_text.h"

namespace veridane {

InfoChange NextInfoText(std::string_view current, bool visible, std::string_view text) {
  InfoChange change;
  if (text.empty()) return change;
  if (text.front() == '+') {
    const std::string_view rest = text.substr(1);
    change.text = current.empty() ? std::string(rest) : std::string(current) + '\n' + std::string(rest);
  } else {
    change.text = std::string(text);
  }
  change.show = !visible;
  return change;
}

}  // namespace veridane
