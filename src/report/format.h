#pragma once
// How readings become result rows: fixed-width numbers, engineering prefixes, limits, the
// PASS/FAIL verdict, and the compaction of rows for the log file. Every result table on screen,
// in the log and on paper is built from these, so their widths and rounding are the look of
// the program's output. All texts are the program's 8-bit text ("µ" is 0xB5).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veridane {

// Fixed-width number text without unit. The code selects the layout:
//   0             plain text (" 0.25", "-12", at most 7 significant digits)
//   0 < |c| <= 100  width.fraction: integer part = field width (sign included), first decimal =
//                   number of decimals (14 -> "            12", 1.2 -> " 0.42")
//   |c| > 100     H*100 + T*10 + D: D significant digits, H widens the field (103 -> " 3.20")
// A positive code rounds half up, a negative one truncates.
std::string FormatDigits(float value, float code);

// The value scaled to an engineering prefix (p n µ m k M G T), formatted with FormatDigits and
// followed by prefix and unit ("   120 µs"). A leading ';' in the unit strips leading blanks
// from the result, a trailing one trailing blanks. An empty unit drops the prefix but keeps
// the scaling (used for the low end of a range that reads in the prefix of the high end).
std::string FormatValue(float value, std::string_view unit, float code);
// The factor of an engineering prefix as FormatValue prints it ('m': 0.001, '\xB5': 1E-6);
// nullopt for a character that is no prefix. Readers of printed values use this same table.
std::optional<double> PrefixFactor(char prefix);

// Tolerance > 0 is percent of the nominal value, <= 0 an absolute amount.
float UpperLimit(float nominal, float tolerance);
float LowerLimit(float nominal, float tolerance);

// The log file's form of a result row: blank runs and frequent words become control codes.
// ExpandLine(CompactLine(row)) gives the row back.
std::string CompactLine(std::string_view line);
std::string ExpandLine(std::string_view line);

// Every result log begins a header with this; a file without one is no result log.
inline constexpr std::string_view kLogHeaderStart = "Performance Verification of ";
inline bool HasLogHeader(std::string_view content) {
  return content.starts_with(kLogHeaderStart) || content.find("\n" + std::string(kLogHeaderStart)) != std::string_view::npos;
}

}  // namespace veridane
