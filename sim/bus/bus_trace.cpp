// Traffic traces of the simulated bus, for reading a whole bench's command traffic later.
#include <fstream>
#include <memory>

#include "sim/bus/sim_bus.h"

namespace veridane::sim {

std::string EscapeControl(std::string_view text) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
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

SimBus::TraceSink TraceToFile(const std::string& path) {
  auto file = std::make_shared<std::ofstream>(path, std::ios::binary | std::ios::trunc);
  if (!*file) return {};
  return [file](const std::string& line) {
    *file << line << '\n';
    // Flushed per line: the trace matters most when the run ends abruptly.
    file->flush();
  };
}

}  // namespace veridane::sim
