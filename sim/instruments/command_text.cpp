#include "sim/instruments/command_text.h"

#include <cctype>
#include <charconv>

#include "platform/numbers.h"
#include "platform/text8.h"

namespace veridane::sim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimView(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::vector<std::string> SplitCommands(std::string_view message, char separator) {
  std::vector<std::string> commands;
  size_t start = 0;
  while (start <= message.size()) {
    size_t end = message.find(separator, start);
    if (end == std::string_view::npos) end = message.size();
    std::string_view part = TrimView(message.substr(start, end - start));
    if (!part.empty()) commands.emplace_back(part);
    start = end + 1;
  }
  return commands;
}

Command ParseCommand(std::string_view command) {
  command = TrimView(command);
  size_t end = 0;
  // A header is letters, digits and the punctuation of the instruments' headers; a number
  // or blank ends it ("POW.35V" reads as POW and .35V).
  while (end < command.size()) {
    char c = command[end];
    bool headerChar = std::isalpha(static_cast<unsigned char>(c)) || c == '*' || c == ':' || c == '?' ||
                      c == '/' || c == '_' || (end > 0 && IsDigit(c) && command[end - 1] != ' ');
    if (!headerChar) break;
    ++end;
  }
  return {UpperCase(command.substr(0, end)), std::string(TrimView(command.substr(end)))};
}

std::optional<double> TakeNumber(std::string_view& text) {
  std::string_view rest = text;
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  size_t i = 0;
  bool negative = false;
  if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) {
    negative = rest[i] == '-';
    ++i;
  }
  size_t mantissaStart = i;
  size_t digits = 0;
  while (i < rest.size() && IsDigit(rest[i])) ++i, ++digits;
  if (i < rest.size() && rest[i] == '.') {
    ++i;
    while (i < rest.size() && IsDigit(rest[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  // An exponent counts only when digits follow it, so "5E" of "5EV" is not swallowed.
  if (i < rest.size() && (rest[i] == 'E' || rest[i] == 'e')) {
    size_t j = i + 1;
    if (j < rest.size() && (rest[j] == '+' || rest[j] == '-')) ++j;
    if (j < rest.size() && IsDigit(rest[j])) {
      while (j < rest.size() && IsDigit(rest[j])) ++j;
      i = j;
    }
  }
  std::string number(rest.substr(mantissaStart, i - mantissaStart));
  if (number.front() == '.') number.insert(number.begin(), '0');
  std::string::size_type e = number.find_first_of("eE");
  if (e != std::string::npos && number[e + 1] == '+') number.erase(e + 1, 1);
  double value = 0;
  auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec != std::errc() || ptr != number.data() + number.size()) return std::nullopt;
  text = rest.substr(i);
  return negative ? -value : value;
}

std::optional<Quantity> ParseQuantity(std::string_view text) {
  std::optional<double> value = TakeNumber(text);
  if (!value) return std::nullopt;
  std::string_view unit = TrimView(text);
  for (char c : unit) {
    if (!std::isalpha(static_cast<unsigned char>(c))) return std::nullopt;
  }
  return Quantity{*value, UpperCase(unit)};
}

bool HeaderIs(std::string_view header, std::string_view keyword, size_t minLength) {
  return header.size() >= minLength && header.size() <= keyword.size() &&
         keyword.substr(0, header.size()) == header;
}

std::optional<bool> ParseOnOff(std::string_view text) {
  std::string word = UpperCase(TrimView(text));
  if (word == "ON" || word == "1") return true;
  if (word == "OFF" || word == "0") return false;
  return std::nullopt;
}

std::string AnswerNumber(double value) { return Trim(PlainText(value)); }

}  // namespace veridane::sim
