// Bench files: any text ends in a description or in BenchFileError naming the file.
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "sim/bench/bench_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane::sim;
  if (size > kBenchFileLimit) return -1;  // the reader refuses these before parsing
  try {
    const BenchDescription desc =
        ParseBenchText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.toml");
    if (desc.file != "fuzz.toml") veridane::fuzz::Broken("the description lost its file name");
  } catch (const BenchFileError& error) {
    if (error.File() != "fuzz.toml") veridane::fuzz::Broken("an error without the file");
  }
  return 0;
}
