#pragma once
// Bus text made readable on one line, for traces and logs of GPIB traffic: control characters
// become \r, \n, \t or \xHH and a backslash is doubled, so every line reads back unambiguously.
#include <string>
#include <string_view>

namespace veridane::sim {

inline std::string EscapeControl(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (byte < 0x20 || byte == 0x7F) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace veridane::sim
