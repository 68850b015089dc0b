// The register of reference standards: any text ends in a register or in StandardsRegisterError
// naming the file, and every entry read has its dates in order and a unique asset.
#include <cstdint>
#include <set>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "platform/text8.h"
#include "record/standards_register.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  if (size > kStandardsFileLimit) return -1;  // the reader refuses these before parsing
  try {
    const StandardsRegister reg =
        ParseStandardsRegister(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.toml");
    std::set<std::string> assets;
    for (const ReferenceStandard& standard : reg.standards) {
      if (!(std::chrono::sys_days(standard.calibrated) < std::chrono::sys_days(standard.due)))
        fuzz::Broken("an entry due before it was calibrated");
      if (!assets.insert(UpperCase(standard.asset)).second) fuzz::Broken("an asset twice");
    }
  } catch (const StandardsRegisterError& error) {
    if (error.File() != "fuzz.toml") fuzz::Broken("an error without the file");
  }
  return 0;
}
