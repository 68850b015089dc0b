#include "test/e2e/result_table.h"

#include <cmath>
#include <limits>

#include "platform/numbers.h"
#include "platform/text8.h"

namespace veridane::testing {

std::vector<std::string> DisplayLines(std::string_view displayText) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = displayText.find("\r\n", start);
    lines.emplace_back(displayText.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> ResultTable::AllRows() const {
  std::vector<std::string> rows = channel1;
  rows.insert(rows.end(), channel2.begin(), channel2.end());
  return rows;
}

ResultTable FindResultTable(std::string_view displayText, std::string_view titleLine) {
  const std::vector<std::string> lines = DisplayLines(displayText);
  ResultTable table;
  size_t title = lines.size();
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == titleLine) title = i;
  // PrintFirst: empty line, title, header, empty line; then the rows. Into an empty display the
  // first empty line adds nothing, so the title may be the very first line.
  if (title == lines.size() || (title > 0 && !lines[title - 1].empty()) || title + 2 >= lines.size() ||
      !lines[title + 2].empty())
    return table;
  table.found = true;
  table.header = lines[title + 1];

  size_t i = title + 3;
  for (; i < lines.size() && !lines[i].empty(); ++i) table.channel1.push_back(lines[i]);
  // Channel 2's block follows a single empty line; a test heading starts with one as well, so
  // only rows that name channel 2 belong here.
  if (i + 1 < lines.size() && lines[i].empty() && lines[i + 1].rfind(" CH 2", 0) == 0)
    for (++i; i < lines.size() && !lines[i].empty(); ++i) table.channel2.push_back(lines[i]);
  for (; i < lines.size(); ++i) {
    if (i + 1 < lines.size() && lines[i].empty() && lines[i + 1].find(" - Test ") != std::string::npos) break;
    table.after.push_back(lines[i]);
  }
  return table;
}

std::string Verdict(std::string_view row) { return std::string(row.size() >= 5 ? row.substr(row.size() - 5) : row); }

std::string Column(std::string_view row, size_t from, size_t to) {
  if (from >= row.size()) return {};
  return std::string(row.substr(from, to - from));
}

double DisplayedVolts(std::string_view text) {
  const std::string trimmed = Trim(text);
  if (trimmed.find_first_of("0123456789") == std::string::npos) return std::numeric_limits<double>::quiet_NaN();
  double value = NumericValue(trimmed);
  const size_t blank = trimmed.rfind(' ');
  const std::string unit = blank == std::string::npos ? "" : trimmed.substr(blank + 1);
  if (unit.size() == 2) {
    switch (unit[0]) {
      case 'p': value *= 1e-12; break;
      case 'n': value *= 1e-9; break;
      case '\xB5': value *= 1e-6; break;
      case 'm': value *= 1e-3; break;
      case 'k': value *= 1e3; break;
      default: break;
    }
  }
  return value;
}

}  // namespace veridane::testing
