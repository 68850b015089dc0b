#include <charconv>
#include <cmath>

#include "report/format.h"

namespace veridane {

namespace {

// Limits are decimal quantities (0.7 x 1.3 V is 0.91 V), but nominal and tolerance arrive as
// singles that are only near their decimal values. Each is taken back to the decimal it was
// written as (the shortest text that reads back the same single), the limit is worked out in
// double and rounded once to single precision. A reading of exactly 0.91 V then lies on the
// limit of 0.91 V, and a small absolute tolerance on a large nominal (1000000 +- 0.4) keeps
// what resolution a single has instead of vanishing in a rounding to seven digits.
double Decimal(float value) {
  if (!std::isfinite(value)) return value;
  char buffer[64];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  double decimal = 0;
  std::from_chars(buffer, end, decimal);
  return decimal;
}

double Upper(double n, double t) {
  if (t > 0) {
    // A negative nominal flips the percent so that the upper limit stays above the lower one.
    if (n < 0) t = -t;
    return n * (1 + t / 100);
  }
  return n + std::fabs(t);
}

double Lower(double n, double t) {
  if (t > 0) {
    if (n < 0) t = -t;
    return n * (1 - t / 100);
  }
  return n - std::fabs(t);
}

}  // namespace

float UpperLimit(float nominal, float tolerance) {
  return static_cast<float>(Upper(Decimal(nominal), Decimal(tolerance)));
}

float LowerLimit(float nominal, float tolerance) {
  return static_cast<float>(Lower(Decimal(nominal), Decimal(tolerance)));
}

std::string JudgeResult(float nominal, float tolerance, int16_t mode, float measured, int16_t& stepFailed) {
  stepFailed = 0;
  enum class Verdict { Pass, Marginal, Fail };
  Verdict verdict = Verdict::Pass;

  if (mode == 0) {
    if (tolerance == 0) return "Parameter Error";
    const double innerTolerance = 0.7 * Decimal(tolerance);
    const auto lower70 = static_cast<float>(Lower(Decimal(nominal), innerTolerance));
    const auto upper70 = static_cast<float>(Upper(Decimal(nominal), innerTolerance));
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
