#include "log/log_format.h"

#include <algorithm>

#include <charconv>

#include "platform/numbers.h"
#include "platform/text8.h"
#include "platform/text8_file.h"
#include "report/format.h"

namespace veridane {

namespace {
constexpr size_t kFirstLineLength = 72;
constexpr size_t kBlankFieldLength = 62;

std::string OrBlankField(const std::string& text) { return text.empty() ? std::string(kBlankFieldLength, '_') : text; }
}  // namespace

std::vector<std::string> LogHeaderLines(std::string_view scopeModel, const CreateLogEntries& entries,
                                        const LogStamp& stamp) {
  std::string first = "Performance Verification of " + std::string(scopeModel) + ", " +
                      (entries.idMode ? "ID: " : "S/N: ");
  if (!entries.serial.empty())
    first += UpperCase1252(entries.serial);
  else if (first.size() < kFirstLineLength)
    first.append(kFirstLineLength - first.size(), '_');
  return {first,
          "",
          "Date & Time: " + Trim(stamp.date) + ", " + stamp.time.substr(0, 5),
          "",
          "Operator: " + OrBlankField(entries.operatorName),
          "",
          "Comments: " + OrBlankField(entries.comments),
          ""};
}

namespace {

// The status file's codes, which files written by every earlier build share.
int StatusCode(TestOutcome status) {
  return status == TestOutcome::Failed ? -1 : status == TestOutcome::Passed ? 1 : 0;
}
TestOutcome StatusOfCode(int code) {
  return code < 0 ? TestOutcome::Failed : code > 0 ? TestOutcome::Passed : TestOutcome::NotRun;
}

}  // namespace

std::string StatusFileText(const TestStatuses& testStatus, int tests) {
  std::string text;
  for (int n = 1; n <= tests && n <= kMostTests; ++n) text += PlainText(StatusCode(testStatus[static_cast<size_t>(n)])) + " ";
  return text;
}

bool ParseStatusFile(std::string_view text, TestStatuses& testStatus, int tests) {
  tests = std::min(tests, static_cast<int>(kMostTests));
  const int needed = std::min(tests, kFirstStatusEntries);
  TestStatuses read{};
  size_t pos = 0;
  for (int n = 1; n <= tests; ++n) {
    pos = text.find_first_not_of(" ,\t\r\n", pos);
    if (pos == std::string_view::npos) {
      if (n <= needed) return false;
      break;
    }
    size_t end = text.find_first_of(" ,\t\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view word = text.substr(pos, end - pos);
    int value = 0;
    auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    // A damaged file must not put a status into the list that no test can have.
    if (ec != std::errc() || ptr != word.data() + word.size() || value < -1 || value > 1) return false;
    read[static_cast<size_t>(n)] = StatusOfCode(value);
    pos = end;
  }
  for (int n = 1; n <= tests; ++n) testStatus[static_cast<size_t>(n)] = read[static_cast<size_t>(n)];
  return true;
}

std::string TranscriptFromLog(std::string_view content) {
  std::string text;
  bool first = true;
  for (const std::string& line : SplitText8Lines(content)) {
    if (!first) text += "\r\n";
    first = false;
    text += ExpandLine(line);
  }
  return text;
}

namespace {

// Blank and underscores only: a field the header left to be filled in by hand.
bool UnfilledField(std::string_view text) { return text.find_first_not_of(" _") == std::string_view::npos; }

std::string FieldAfter(const std::string& line, std::string_view label) {
  if (line.rfind(label, 0) != 0) return "";
  const std::string value = Trim(std::string_view(line).substr(label.size()));
  return UnfilledField(value) ? "" : value;
}

}  // namespace

LogHeaderFacts ReadLogHeader(std::string_view transcript) {
  LogHeaderFacts facts;
  const std::vector<std::string> lines = SplitText8Lines(transcript.substr(0, 4096));
  if (lines.empty() || lines[0].rfind("Performance Verification of ", 0) != 0) return facts;
  for (std::string_view label : {", S/N: ", ", ID: "}) {
    const size_t at = lines[0].rfind(label);
    if (at == std::string::npos) continue;
    const std::string value = Trim(std::string_view(lines[0]).substr(at + label.size()));
    if (!UnfilledField(value)) facts.serial = value;
    break;
  }
  for (const std::string& line : lines) {
    if (facts.operatorName.empty()) facts.operatorName = FieldAfter(line, "Operator:");
    if (facts.comments.empty()) facts.comments = FieldAfter(line, "Comments:");
    if (line.rfind("Comments:", 0) == 0) break;  // the end of the header
  }
  return facts;
}

std::string UpperCase1252(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z')
      b = static_cast<unsigned char>(b - 0x20);
    else if (b >= 0xE0 && b <= 0xFE && b != 0xF7)
      b = static_cast<unsigned char>(b - 0x20);
    else if (b == 0x9A || b == 0x9C || b == 0x9E)
      b = static_cast<unsigned char>(b - 0x10);
    else if (b == 0xFF)
      b = 0x9F;
    c = static_cast<char>(b);
  }
  return upper;
}

}  // namespace veridane
