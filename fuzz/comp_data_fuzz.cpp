// Generator compensation data: any bytes give a table or Corrupt, for every pair count a
// model may ask for (and more than the table holds).
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "instruments/comp_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  if (size < 1 || size - 1 > kCompFileLimit) return -1;
  const int pairs = data[0] % 40;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  CompTable table{};
  const CompFileError result = ParseCompData(bytes, pairs, table);
  if (result != CompFileError::None && result != CompFileError::Corrupt) fuzz::Broken("an error parsing cannot give");
  return 0;
}
