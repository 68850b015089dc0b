#include "platform/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace veridane {

namespace {

std::string ExponentText(int exponent) {
  std::string text = exponent < 0 ? "-" : "+";
  int magnitude = std::abs(exponent);
  if (magnitude < 10) text += '0';
  text += std::to_string(magnitude);
  return text;
}

// Formats from a value already rounded to 7 significant digits by the caller's precision.
std::string FormatSignificant(double value) {
  if (std::isnan(value)) return " NaN";
  if (std::isinf(value)) return value < 0 ? "-Inf" : " Inf";
  if (value == 0) return " 0";
  std::string sign = value < 0 ? "-" : " ";
  char buffer[64];
  // d.dddddde[+-]xx: correctly rounded to 7 significant digits whatever the locale.
  auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                              std::chars_format::scientific, 6);
  std::string text(buffer, result.ptr);
  auto e = text.find('e');
  std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
  int exponent = std::atoi(text.c_str() + e + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  if (exponent >= 7 || exponent < -4) {
    std::string mantissa = digits.substr(0, 1);
    if (digits.size() > 1) mantissa += "." + digits.substr(1);
    return sign + mantissa + "E" + ExponentText(exponent);
  }
  if (exponent < 0) return sign + "." + std::string(-exponent - 1, '0') + digits;
  auto whole = static_cast<size_t>(exponent) + 1;
  if (digits.size() <= whole) return sign + digits + std::string(whole - digits.size(), '0');
  return sign + digits.substr(0, whole) + "." + digits.substr(whole);
}

}  // namespace

std::string PlainText(float value) { return FormatSignificant(static_cast<double>(value)); }

std::string PlainText(double value) {
  // Doubles are rounded to single precision first: the program's numbers are single precision.
  return FormatSignificant(static_cast<double>(static_cast<float>(value)));
}

std::string PlainText(int value) {
  return (value < 0 ? "" : " ") + std::to_string(value);
}

double NumericValue(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  size_t end = i;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    size_t expStart = j;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
    if (j > expStart) end = j;
  }
  std::string number(text.substr(start, end - start));
  for (char& c : number)
    if (c == 'D' || c == 'd') c = 'E';
  if (number[0] == '+') number.erase(0, 1);
  double value = 0;
  // from_chars does not accept a leading '+' and ignores the locale.
  auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large for a double reads as infinite (never as a harmless 0); too small reads as 0.
    auto e = number.find('E');
    bool tooLarge = e != std::string::npos && number.compare(e + 1, 1, "-") != 0;
    if (!tooLarge) return 0;
    return number[0] == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  return value;
}

}  // namespace veridane
