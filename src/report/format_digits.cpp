#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "platform/numbers.h"
#include "platform/text8.h"
#include "report/format.h"

namespace veridane {

namespace {

// A magnitude reduced to 7 significant decimal digits: mantissa x 10^exponent. Working on
// these digits instead of the binary float keeps half-up rounding exact: 1.005 rounds to 1.01,
// as the technician reading the scope's own display expects.
struct Decimal7 {
  uint64_t mantissa = 0;  // below 10^7
  int exponent = 0;
};

Decimal7 ToDecimal7(double magnitude) {
  if (magnitude == 0) return {};
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 6);
  std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
  size_t e = text.find('e');
  Decimal7 d;
  for (char c : text.substr(0, e))
    if (c != '.') d.mantissa = d.mantissa * 10 + static_cast<uint64_t>(c - '0');
  int exponent = 0;
  size_t digits = e + 1;
  bool negative = text[digits] == '-';
  if (text[digits] == '-' || text[digits] == '+') ++digits;
  std::from_chars(text.data() + digits, text.data() + text.size(), exponent);
  d.exponent = (negative ? -exponent : exponent) - 6;
  return d;
}

// Power of ten of the leading digit (the scientific exponent); 0 for zero.
int LeadingExponent(const Decimal7& d) {
  if (d.mantissa == 0) return 0;
  int digits = 0;
  for (uint64_t m = d.mantissa; m > 0; m /= 10) ++digits;
  return d.exponent + digits - 1;
}

// Digits of the integer Int(value x 10^decimals + half), half = 0.5 or 0.
std::string ScaledIntegerDigits(const Decimal7& d, int decimals, bool roundHalfUp) {
  if (d.mantissa == 0) return "0";
  int shift = d.exponent + decimals;
  if (shift >= 0) return std::to_string(d.mantissa) + std::string(static_cast<size_t>(shift), '0');
  int drop = -shift;
  if (drop >= 8) return "0";  // the mantissa has 7 digits: even rounded up nothing is left
  uint64_t divisor = 1;
  for (int i = 0; i < drop; ++i) divisor *= 10;
  return std::to_string((d.mantissa + (roundHalfUp ? divisor / 2 : 0)) / divisor);
}

struct Rounded {
  std::string integerDigits;   // "0" when below 1
  std::string fractionDigits;  // exactly `decimals` digits
};

Rounded RoundTo(const Decimal7& d, int decimals, bool roundHalfUp) {
  std::string all = ScaledIntegerDigits(d, decimals, roundHalfUp);
  auto f = static_cast<size_t>(decimals);
  if (all.size() <= f) all.insert(0, f + 1 - all.size(), '0');
  Rounded r;
  r.integerDigits = all.substr(0, all.size() - f);
  r.fractionDigits = all.substr(all.size() - f);
  return r;
}

std::string PadLeft(std::string text, size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

// The plain numeric text with a zero before the point, as code 0 shows it (" 0.25").
std::string PlainWithLeadingZero(float value) {
  std::string text = PlainText(value);
  if (text.size() > 1 && text[1] == '.') text.insert(1, "0");
  return text;
}

std::string WidthFraction(bool negative, const Decimal7& a, int width, int decimals, bool roundHalfUp) {
  Rounded x = RoundTo(a, decimals, roundHalfUp);
  auto n = static_cast<int>(x.integerDigits.size());
  int fieldWidth = width <= n ? n + 1 : width;
  std::string text = PadLeft((negative ? "-" : " ") + x.integerDigits, static_cast<size_t>(fieldWidth));
  if (decimals > 0) text += "." + x.fractionDigits;
  return text;
}

std::string FormatFinite(float value, float code) {
  if (code == 0) return PlainWithLeadingZero(value);
  bool negative = value < 0;
  Decimal7 a = ToDecimal7(std::fabs(static_cast<double>(value)));
  bool roundHalfUp = code > 0;
  double magnitudeCode = std::fabs(static_cast<double>(code));

  // A code beyond any field width is a slip of the caller and prints as an error in the row.
  // It is caught before any conversion to an integer, which a huge code would overflow.
  if (magnitudeCode > 99999) return "Error: IntFrac=" + PlainText(static_cast<float>(magnitudeCode)) + " ";
  if (magnitudeCode > 100) {
    auto whole = static_cast<int64_t>(std::llround(magnitudeCode));
    auto significant = static_cast<int>(whole % 10);
    auto widen = static_cast<int>(std::floor(magnitudeCode / 100));
    // A code ending in 1 asks for one significant digit, which the layout cannot show.
    if (significant == 1) return "Error: IntFrac=" + PlainText(static_cast<float>(magnitudeCode)) + " ";
    int integerDigits = a.mantissa == 0 ? 1 : std::max(LeadingExponent(a) + 1, 1);
    int decimals = std::max(significant - integerDigits, 0);
    if (decimals > 0 &&
        static_cast<int>(RoundTo(a, decimals, roundHalfUp).integerDigits.size()) > integerDigits) {
      // Rounding carried into a new digit (9.996 -> 10.0): one decimal fewer keeps the width.
      ++integerDigits;
      --decimals;
    }
    std::string lead = decimals == 0 ? " " : "";
    return lead + WidthFraction(negative, a, widen + integerDigits - 1, decimals, roundHalfUp);
  }

  auto width = static_cast<int>(std::floor(magnitudeCode));
  auto decimals = static_cast<int>(std::lround((magnitudeCode - width) * 10));
  return WidthFraction(negative, a, width, decimals, roundHalfUp);
}

constexpr std::array<const char*, 10> kPrefixes = {"", "p", "n", "\xB5", "m", "", "k", "M", "G", "T"};
constexpr int kNoPrefix = 5;

// Index of the engineering prefix for a magnitude; thresholds compared in single precision.
int PrefixIndex(float magnitude) {
  if (magnitude == 0) return kNoPrefix;
  if (magnitude < 1e-9f) return 1;
  if (magnitude < 1e-6f) return 2;
  if (magnitude < 0.001f) return 3;
  if (magnitude < 1.0f) return 4;
  if (magnitude < 1000.0f) return 5;
  if (magnitude < 1e6f) return 6;
  if (magnitude < 1e9f) return 7;
  if (magnitude < 1e12f) return 8;
  return 9;
}

// Multiplying or dividing by an exact power of ten keeps the single-precision result correctly
// rounded (1E-6 itself is not exact in binary).
float ScaleToPrefix(float value, int index) {
  double v = value;
  int power = 3 * (kNoPrefix - index);
  double factor = std::pow(10.0, std::abs(power));
  return static_cast<float>(power >= 0 ? v * factor : v / factor);
}

std::string StripLeadingBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string StripTrailingBlanks(const std::string& text) {
  size_t last = text.find_last_not_of(' ');
  return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

}  // namespace

std::optional<double> PrefixFactor(char prefix) {
  for (size_t i = 1; i < kPrefixes.size(); ++i) {
    if (static_cast<int>(i) == kNoPrefix || kPrefixes[i][0] != prefix) continue;
    return std::pow(10.0, 3 * (static_cast<int>(i) - kNoPrefix));
  }
  return std::nullopt;
}

std::string FormatDigits(float value, float code) {
  if (std::isfinite(value) && std::isfinite(code)) return FormatFinite(value, code);
  if (!std::isfinite(code)) return "Error: IntFrac=" + PlainText(code) + " ";
  // Readings are replaced before formatting; should one slip through, show it in the width a
  // number would have, so the row stays aligned and the technician sees what arrived.
  std::string label = std::isnan(value) ? "NaN" : (value < 0 ? "-Inf" : "Inf");
  return PadLeft(label, FormatFinite(0, code).size());
}

std::string FormatValue(float value, std::string_view unitText, float code) {
  std::string unit(unitText);
  bool stripLeading = false;
  bool stripTrailing = false;
  while (unit.find(';') != std::string::npos) {
    if (unit.front() == ';' && !stripLeading) {
      unit.erase(0, 1);
      stripLeading = true;
    } else {
      unit.pop_back();
      stripTrailing = true;
    }
  }

  int index = kNoPrefix;
  float scaled = value;
  if (std::isfinite(value)) {
    index = PrefixIndex(std::fabs(value));
    scaled = ScaleToPrefix(value, index);
    if (code > 0 && index < 9 && std::fabs(static_cast<double>(scaled)) + 0.5 >= 1000) {
      // 999.7 mV would print as 1000 mV: show it as 1.00 V instead.
      scaled = static_cast<float>(static_cast<double>(scaled) / 1000);
      ++index;
    }
  }
  if (unit.empty()) index = kNoPrefix;

  std::string suffix;
  if (index != kNoPrefix) {
    suffix = std::string(" ") + kPrefixes[static_cast<size_t>(index)] + Trim(unit);
  } else {
    suffix = unit.empty() ? " " : "  " + unit;
  }

  std::string result = FormatDigits(scaled, code) + suffix;
  if (stripLeading) result = StripLeadingBlanks(result);
  if (stripTrailing) result = StripTrailingBlanks(result);
  return result;
}

}  // namespace veridane
