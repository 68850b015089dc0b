// Old result logs imported into the results: any file gives runs or an error, never both
// empty-handed in a way that loses rows silently, and every imported row belongs to a run
// of a known test.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "results/log_import.h"
#include "ui/console/results_query.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  if (size > (1u << 20)) return -1;
  static const std::vector<ImportTest> tests = CatalogueTests();
  const std::string content(reinterpret_cast<const char*>(data), size);
  const LogImport imported = ParseResultLog(content, "fuzz.log", "2026-01-01T00:00:00", tests);
  if (!imported.error.empty() && !imported.runs.empty()) fuzz::Broken("runs and an error at once");
  for (const std::string& row : imported.skipped)
    if (row.rfind("line ", 0) != 0) fuzz::Broken("a skipped row not named by its line");
  return 0;
}
