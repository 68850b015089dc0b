// Scanner configuration files: every route ends in ';', blanks around lines are gone.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "instruments/instrument_roles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  if (size > kScannerConfigLimit) return -1;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string config = ScannerConfigFromText(bytes);
  if (!config.empty() && config.back() != ';') fuzz::Broken("a route without its ';'");
  if (config.find('\n') != std::string::npos || config.find('\r') != std::string::npos)
    fuzz::Broken("a line end inside the routes");
  return 0;
}
