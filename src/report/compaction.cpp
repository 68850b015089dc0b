#include <array>
#include <string>

#include "report/format.h"

namespace veridane {

namespace {

constexpr char kBlankRun = 1;
// The run length is stored as one character, code = length + 30; a byte holds at most 225.
constexpr size_t kLongestRun = 255 - 30;

struct Abbreviation {
  char code;
  const char* text;
};

// In the order both directions walk them; the codes are fixed by the log files already written.
constexpr std::array<Abbreviation, 10> kAbbreviations = {{
    {2, "VERTICAL SCALE"},
    {3, " - "},
    {4, "MEASURED"},
    {5, " mV"},
    {6, " \xB5V"},
    {7, "div"},
    {8, " MHz"},
    {14, "LIMIT"},
    {15, "PASS"},
    {16, "FAIL"},
}};

bool StartsWithAbbreviatedText(std::string_view text) {
  for (const auto& a : kAbbreviations)
    if (text.starts_with(a.text)) return true;
  return false;
}

void ReplaceAll(std::string& line, std::string_view from, std::string_view to) {
  for (size_t pos = line.find(from); pos != std::string::npos; pos = line.find(from, pos + to.size()))
    line.replace(pos, from.size(), to);
}

}  // namespace

std::string CompactLine(std::string_view source) {
  std::string line(source);
  for (size_t pos = line.find("   "); pos != std::string::npos; pos = line.find("   ", pos + 2)) {
    size_t end = line.find_first_not_of(' ', pos);
    size_t run = (end == std::string::npos ? line.size() : end) - pos;
    if (run > kLongestRun) run = kLongestRun;  // the rest of the blanks starts a new run
    auto lengthChar = static_cast<char>(run + 30);
    // The length character must not begin a word that is abbreviated next ("V" for 56 blanks
    // before "ERTICAL SCALE"), or the word's code would swallow it and the line could not be
    // expanded again. One blank less leaves a blank between them; readers need no change.
    if (StartsWithAbbreviatedText(lengthChar + line.substr(pos + run, 16))) {
      --run;
      lengthChar = static_cast<char>(run + 30);
    }
    line.replace(pos, run, std::string{kBlankRun, lengthChar});
  }
  for (const auto& a : kAbbreviations) ReplaceAll(line, a.text, std::string(1, a.code));
  return line;
}

std::string ExpandLine(std::string_view source) {
  std::string line;
  line.reserve(source.size() * 2);
  for (size_t i = 0; i < source.size(); ++i) {
    if (source[i] == kBlankRun && i + 1 < source.size()) {
      int run = static_cast<unsigned char>(source[i + 1]) - 30;
      // A damaged log line keeps its bytes rather than losing text or aborting the read.
      if (run > 0) {
        line.append(static_cast<size_t>(run), ' ');
        ++i;
        continue;
      }
    }
    line += source[i];
  }
  for (const auto& a : kAbbreviations) ReplaceAll(line, std::string_view(&a.code, 1), a.text);
  return line;
}

}  // namespace veridane
