#include "results/log_text.h"

#include "platform/text8.h"
#include "platform/text8_file.h"
#include "report/format.h"

namespace veridane {

namespace {

std::string ShownTime(const std::string& iso) {
  std::string shown = iso.substr(0, 19);
  if (shown.size() > 10 && shown[10] == 'T') shown[10] = ' ';
  return shown;
}

std::string MarkLine(int number, const LogSessionMark& mark) {
  return "----- Session " + std::to_string(number) + ": " + (mark.created ? "log created " : "appended ") +
         ShownTime(mark.openedAt) + " -----";
}

}  // namespace

int LogLineCount(std::string_view logContent) { return static_cast<int>(SplitText8Lines(logContent).size()); }

std::string LogAsText(std::string_view logContent, const std::vector<LogSessionMark>& sessions, int* marked) {
  const std::vector<std::string> lines = SplitText8Lines(logContent);
  std::vector<LogSessionMark> usable;
  for (const LogSessionMark& mark : sessions) {
    const int after = usable.empty() ? -1 : usable.back().firstLine;
    if (mark.firstLine > after && mark.firstLine < static_cast<int>(lines.size())) usable.push_back(mark);
  }
  if (marked != nullptr) *marked = static_cast<int>(usable.size());

  std::string text;
  size_t next = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (next < usable.size() && usable[next].firstLine == static_cast<int>(i)) {
      if (!text.empty()) text += "\n";
      text += Utf8FromText8(MarkLine(static_cast<int>(next) + 1, usable[next])) + "\n";
      ++next;
    }
    text += Utf8FromText8(ExpandLine(lines[i])) + "\n";
  }
  return text;
}

}  // namespace veridane
