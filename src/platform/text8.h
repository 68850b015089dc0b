#pragma once
// The program's text is 8-bit Windows-1252 (one byte per character: "µ" is 0xB5, "±" 0xB1),
// as the result tables, log files and instruments expect. UTF-8 exists only at the edges:
// Qt widgets, the terminal, file names.
#include <string>
#include <string_view>

namespace veridane {

std::string Utf8FromText8(std::string_view text);
// Characters without a Windows-1252 byte become '?'.
std::string Text8FromUtf8(std::string_view utf8);

std::string Trim(std::string_view text);       // blanks at both ends
std::string UpperCase(std::string_view text);  // ASCII letters only, other bytes unchanged

}  // namespace veridane
