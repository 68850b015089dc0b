#include <charconv>
#include <cmath>

#include "report/format.h"

namespace veridane {

namespace {

// Limits are decimal quantities (0.7 x 1.3 V is 0.91 V). Rounded to single precision straight
// from binary arithmetic they can land one step beside the reading of the same decimal value,
// and a reading of exactly 0.91 V would be judged outside 0.91 V. Seven significant digits,
// as readings and printed limits carry, and then the nearest single remove that step.
float DecimalSingle(double value) {
  if (!std::isfinite(value) || value == 0) return static_cast<float>(value);
  char buffer[64];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 6).ptr;
  float single = 0;
  std::from_chars(buffer, end, single);
  return single;
}

}  // namespace

float UpperLimit(float nominal, float tolerance) {
  double n = nominal;
  double t = tolerance;
  if (t > 0) {
    // A negative nominal flips the percent so that the upper limit stays above the lower one.
    if (n < 0) t = -t;
    return DecimalSingle(n * (1 + t / 100));
  }
  return DecimalSingle(n + std::fabs(t));
}

float LowerLimit(float nominal, float tolerance) {
  double n = nominal;
  double t = tolerance;
  if (t > 0) {
    if (n < 0) t = -t;
    return DecimalSingle(n * (1 - t / 100));
  }
  return DecimalSingle(n - std::fabs(t));
}

std::string JudgeResult(float nominal, float tolerance, int16_t mode, float measured, int16_t& stepFailed) {
  stepFailed = 0;
  enum class Verdict { Pass, Marginal, Fail };
  Verdict verdict = Verdict::Pass;

  if (mode == 0) {
    if (tolerance == 0) return "Parameter Error";
    float innerTolerance = DecimalSingle(0.7 * static_cast<double>(tolerance));
    float lower70 = LowerLimit(nominal, innerTolerance);
    float upper70 = UpperLimit(nominal, innerTolerance);
    if (!(lower70 <= measured && measured <= upper70)) {
      bool inside = LowerLimit(nominal, tolerance) <= measured && measured <= UpperLimit(nominal, tolerance);
      verdict = inside ? Verdict::Marginal : Verdict::Fail;
    }
  } else if (mode < 0) {
    bool fail = tolerance != 0 ? measured < LowerLimit(nominal, tolerance) : measured > nominal;
    if (fail) verdict = Verdict::Fail;
  } else {
    bool fail = tolerance != 0 ? measured > UpperLimit(nominal, tolerance) : measured < nominal;
    if (fail) verdict = Verdict::Fail;
  }
  // A reading that is not a number compares false with every limit, which would let a
  // one-sided check pass; no measurement is never a pass.
  if (!std::isfinite(measured)) verdict = Verdict::Fail;

  switch (verdict) {
    case Verdict::Fail:
      stepFailed = -1;
      return " FAIL";
    case Verdict::Marginal:
      return ">PASS";
    case Verdict::Pass:
      break;
  }
  return " PASS";
}

}  // namespace veridane
