// PlainText and NumericValue: any text reads as a number; any finite number printed and read
// back prints the same text again.
#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  fuzz::Input input(data, size);
  const float f = input.Take<float>();
  const double d = input.Take<double>();
  const int i = input.Take<int>();
  (void)PlainText(i);
  (void)PlainText(d);
  const double read = NumericValue(input.Rest());
  (void)PlainText(read);
  if (std::isfinite(f)) {
    const std::string printed = PlainText(f);
    const double back = NumericValue(printed);
    if (PlainText(static_cast<float>(back)) != printed) fuzz::Broken("PlainText does not read back");
  }
  return 0;
}
