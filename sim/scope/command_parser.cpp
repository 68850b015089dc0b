#include "sim/scope/command_parser.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/numbers.h"
#include "platform/text8.h"

namespace veridane::sim {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Splits on a separator outside quoted strings; an unterminated string sets `unterminated`.
std::vector<std::string> SplitOutsideQuotes(std::string_view text, char separator, bool& unterminated) {
  std::vector<std::string> parts(1);
  char quote = 0;
  for (char c : text) {
    if (quote) {
      if (c == quote) quote = 0;
      parts.back() += c;
    } else if (c == '"' || c == '\'') {
      quote = c;
      parts.back() += c;
    } else if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  unterminated = quote != 0;
  return parts;
}

// A whole token in NR1, NR2 or NR3 form.
bool IsNumberToken(std::string_view t) {
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  size_t digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  return i == t.size();
}

bool IsWordToken(std::string_view t) {
  if (t.empty()) return false;
  for (char c : t) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '_';
    if (!ok) return false;
  }
  return true;
}

std::optional<ScopeArgument> ParseArgument(std::string_view raw) {
  std::string text = Trim(raw);
  ScopeArgument argument;
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
    argument.kind = ScopeArgument::Kind::String;
    argument.text = text.substr(1, text.size() - 2);
    return argument;
  }
  if (IsNumberToken(text)) {
    argument.kind = ScopeArgument::Kind::Number;
    argument.text = text;
    argument.number = NumericValue(text);
    return argument;
  }
  if (IsWordToken(text)) {
    argument.text = UpperCase(text);
    return argument;
  }
  return std::nullopt;
}

ScopeCommand ParseCommand(std::string_view raw) {
  ScopeCommand command;
  std::string text = Trim(raw);
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  size_t headerEnd = 0;
  while (headerEnd < text.size() && !IsBlank(text[headerEnd])) ++headerEnd;
  std::string header = text.substr(0, headerEnd);
  std::string rest = text.substr(headerEnd);

  if (!header.empty() && header.back() == '?') {
    command.query = true;
    header.pop_back();
  }
  if (!header.empty() && header.front() == '*') {
    command.common = true;
    header.erase(0, 1);
    command.malformed = header.empty() || !IsWordToken(header);
    command.header.push_back("*" + UpperCase(header));
  } else {
    if (!header.empty() && header.front() == ':') {
      command.absolute = true;
      header.erase(0, 1);
    }
    bool unused = false;
    for (const std::string& node : SplitOutsideQuotes(header, ':', unused)) {
      if (!IsWordToken(node)) command.malformed = true;
      command.header.push_back(UpperCase(node));
    }
  }
  if (header.empty()) command.malformed = true;

  if (!Trim(rest).empty()) {
    bool unterminated = false;
    for (const std::string& part : SplitOutsideQuotes(rest, ',', unterminated)) {
      std::optional<ScopeArgument> argument = ParseArgument(part);
      if (!argument) {
        command.malformed = true;
        break;
      }
      command.arguments.push_back(*argument);
    }
    if (unterminated) command.malformed = true;
  }
  return command;
}

std::string_view ShortPart(std::string_view pattern) {
  size_t n = 0;
  while (n < pattern.size() && !(pattern[n] >= 'a' && pattern[n] <= 'z') && pattern[n] != '<') ++n;
  return pattern.substr(0, n);
}

std::string LongPart(std::string_view pattern) {
  std::string_view stem = pattern.substr(0, pattern.find('<'));
  return UpperCase(stem);
}

bool MatchWord(std::string_view word, std::string_view pattern) {
  std::string_view shortForm = ShortPart(pattern);
  std::string longForm = LongPart(pattern);
  return word.size() >= shortForm.size() && word.size() <= longForm.size() &&
         longForm.compare(0, word.size(), word) == 0;
}

}  // namespace

std::vector<ScopeCommand> ParseProgramMessage(std::string_view message) {
  std::vector<ScopeCommand> commands;
  bool unterminated = false;
  std::vector<std::string> parts = SplitOutsideQuotes(message, ';', unterminated);
  for (size_t i = 0; i < parts.size(); ++i) {
    // A trailing ';' before the terminator is tolerated, an empty command elsewhere is not.
    if (Trim(parts[i]).empty() && i + 1 == parts.size() && i > 0) break;
    commands.push_back(ParseCommand(parts[i]));
  }
  if (unterminated && !commands.empty()) commands.back().malformed = true;
  return commands;
}

bool MatchMnemonic(std::string_view mnemonic, std::string_view pattern, int* suffix) {
  std::string word = UpperCase(mnemonic);
  if (pattern.find("<x>") == std::string_view::npos) return MatchWord(word, pattern);
  size_t digits = word.size();
  while (digits > 0 && IsDigit(word[digits - 1])) --digits;
  int value = 1;
  if (digits < word.size()) {
    auto [ptr, ec] = std::from_chars(word.data() + digits, word.data() + word.size(), value);
    if (ec != std::errc() || ptr != word.data() + word.size()) return false;
  }
  if (!MatchWord(std::string_view(word).substr(0, digits), pattern.substr(0, pattern.find('<'))))
    return false;
  if (suffix) *suffix = value;
  return true;
}

std::optional<size_t> MatchChoice(std::string_view word, const std::vector<std::string_view>& choices) {
  std::string upper = UpperCase(word);
  for (size_t i = 0; i < choices.size(); ++i)
    if (MatchWord(upper, choices[i])) return i;
  return std::nullopt;
}

std::string MnemonicText(std::string_view pattern, bool longForm, int suffix) {
  std::string text = longForm ? LongPart(pattern) : std::string(ShortPart(pattern));
  if (pattern.find("<x>") != std::string_view::npos) text += std::to_string(suffix);
  return text;
}

std::string Nr3(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 9.9e37) return "9.9E37";
  if (value == 0) return "0.0E0";
  char buffer[48];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 4);
  std::string text(buffer, result.ptr);
  size_t e = text.find('e');
  std::string mantissa = text.substr(0, e);
  int exponent = std::atoi(text.c_str() + e + 1);
  while (mantissa.size() > 3 && mantissa.back() == '0') mantissa.pop_back();
  return mantissa + "E" + std::to_string(exponent);
}

}  // namespace veridane::sim
