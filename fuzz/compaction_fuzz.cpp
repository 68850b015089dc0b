// The log's compact rows: expanding any text is safe, and a row compacted and expanded again
// is the row itself.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "report/format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)ExpandLine(text);
  // A row is printable text: the bytes below 17 are the compaction's own codes.
  for (char c : text)
    if (c >= 1 && c <= 16) return -1;
  if (ExpandLine(CompactLine(text)) != text) fuzz::Broken("CompactLine does not expand back");
  return 0;
}
