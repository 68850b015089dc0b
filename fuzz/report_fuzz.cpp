// FormatDigits, FormatValue and Judge with any value, code, tolerance and mode: a text for
// every one, and only the verdicts the result tables know.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "report/format.h"
#include "report/step_result.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  fuzz::Input input(data, size);
  const float value = input.Take<float>();
  const float code = input.Take<float>();
  const float nominal = input.Take<float>();
  const float tolerance = input.Take<float>();
  const int16_t mode = input.Take<int16_t>();
  const std::string unit = input.Rest();

  if (FormatDigits(value, code).empty()) fuzz::Broken("FormatDigits gave nothing");
  (void)FormatValue(value, unit, code);
  (void)UpperLimit(nominal, tolerance);
  (void)LowerLimit(nominal, tolerance);
  const Verdict judged = Judge(nominal, tolerance, JudgeModeFromCode(mode), value).verdict;
  const std::string verdict(VerdictText(judged));
  if (verdict != " PASS" && verdict != ">PASS" && verdict != " FAIL" && verdict != "Parameter Error")
    fuzz::Broken("an unknown verdict");
  if ((verdict == " FAIL") != (judged == Verdict::Fail || judged == Verdict::NotMeasurable))
    fuzz::Broken("the verdict's text disagrees with the verdict");
  return 0;
}
