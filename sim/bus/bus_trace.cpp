// Traffic traces of the simulated bus, for reading a whole bench's command traffic later.
#include <fstream>
#include <memory>

#include "sim/bus/sim_bus.h"

namespace veridane::sim {

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
