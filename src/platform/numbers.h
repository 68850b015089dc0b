#pragma once
// Numbers as the program writes and reads them in instrument traffic and messages.
// Both routines ignore the process locale: the decimal separator is always '.'.
#include <string>
#include <string_view>

namespace veridane {

// Plain numeric text: a leading blank when not negative (a minus sign otherwise), no zero
// before the decimal point, at most 7 significant digits, E notation from 1E+07 upward and
// below 1E-04. Examples: " .002", "-.99", " 1000000", " 5E+07", " 0".
std::string PlainText(float value);
std::string PlainText(double value);
std::string PlainText(int value);

// The numeric value of a text: leading blanks and tabs are skipped, then the longest prefix
// that reads as a decimal number (sign, digits, point, exponent) is converted. Text without
// digits gives 0. "  12.5V" gives 12.5, "1E3x" gives 1000, "abc" gives 0.
double NumericValue(std::string_view text);

}  // namespace veridane
