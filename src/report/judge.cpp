#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "report/format.h"
#include "report/step_result.h"

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

namespace {

// A single as the decimal it stands for, for the record (the same reading Decimal() gives the
// limit arithmetic above).
std::optional<double> Stored(float value) { return Decimal(value); }

}  // namespace

Judgement Judge(float nominal, float tolerance, JudgeMode mode, std::optional<float> measured) {
  Judgement judgement;
  judgement.nominal = Decimal(nominal);
  Verdict verdict = Verdict::Pass;
  const float m = measured.value_or(0);

  if (mode == JudgeMode::TwoSided) {
    if (tolerance == 0) {
      judgement.verdict = Verdict::ParameterError;
      return judgement;
    }
    // The inner band is worked out like the limits: in double from the decimals, rounded once.
    const double innerTolerance = 0.7 * Decimal(tolerance);
    const auto lower70 = static_cast<float>(Lower(Decimal(nominal), innerTolerance));
    const auto upper70 = static_cast<float>(Upper(Decimal(nominal), innerTolerance));
    const float lower = LowerLimit(nominal, tolerance);
    const float upper = UpperLimit(nominal, tolerance);
    judgement.lower = Stored(lower);
    judgement.upper = Stored(upper);
    judgement.marginalLower = Stored(lower70);
    judgement.marginalUpper = Stored(upper70);
    if (!(lower70 <= m && m <= upper70)) verdict = lower <= m && m <= upper ? Verdict::Marginal : Verdict::Fail;
  } else if (mode == JudgeMode::LowerLimit) {
    if (tolerance != 0) {
      const float lower = LowerLimit(nominal, tolerance);
      judgement.lower = Stored(lower);
      if (m < lower) verdict = Verdict::Fail;
    } else {
      judgement.upper = judgement.nominal;
      if (m > nominal) verdict = Verdict::Fail;
    }
  } else {
    if (tolerance != 0) {
      const float upper = UpperLimit(nominal, tolerance);
      judgement.upper = Stored(upper);
      if (m > upper) verdict = Verdict::Fail;
    } else {
      judgement.lower = judgement.nominal;
      if (m < nominal) verdict = Verdict::Fail;
    }
  }
  // A reading that is not a number compares false with every limit, which would let a
  // one-sided check pass; no measurement is never a pass.
  if (!measured || !std::isfinite(m)) verdict = Verdict::NotMeasurable;
  judgement.verdict = verdict;
  return judgement;
}

std::string_view VerdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::Pass:
      return " PASS";
    case Verdict::Marginal:
      return ">PASS";
    case Verdict::ParameterError:
      return "Parameter Error";
    case Verdict::Fail:
    case Verdict::NotMeasurable:
      break;
  }
  return " FAIL";
}

std::string_view VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Pass:
      return "PASS";
    case Verdict::Marginal:
      return "marginal";
    case Verdict::NotMeasurable:
      return "not measurable";
    case Verdict::ParameterError:
      return "parameter error";
    case Verdict::Fail:
      break;
  }
  return "FAIL";
}

std::optional<Verdict> VerdictFromName(std::string_view name) {
  for (Verdict verdict :
       {Verdict::Pass, Verdict::Marginal, Verdict::Fail, Verdict::NotMeasurable, Verdict::ParameterError})
    if (name == VerdictName(verdict)) return verdict;
  return std::nullopt;
}

std::optional<Verdict> VerdictOfRowText(std::string_view row) {
  while (!row.empty() && (row.back() == ' ' || row.back() == '\r' || row.back() == '\n')) row.remove_suffix(1);
  // The word alone is too short to be the column; "PASS/FAIL" in a header is no verdict.
  for (Verdict verdict : {Verdict::Pass, Verdict::Marginal, Verdict::Fail}) {
    const std::string_view text = VerdictText(verdict);
    if (row.size() >= text.size() && row.substr(row.size() - text.size()) == text) return verdict;
  }
  return std::nullopt;
}

StepResult MakeStepResult(std::string step, std::string unit, const Judgement& judgement,
                          std::optional<float> measured) {
  StepResult result;
  result.step = std::move(step);
  result.unit = std::move(unit);
  result.nominal = judgement.nominal;
  result.lower = judgement.lower;
  result.upper = judgement.upper;
  result.marginalLower = judgement.marginalLower;
  result.marginalUpper = judgement.marginalUpper;
  if (measured && std::isfinite(*measured)) result.measured = Decimal(*measured);
  result.verdict = judgement.verdict;
  return result;
}

namespace {

// A product of two decimals carries binary noise in its last digit (0.35 x 1E-6 gives
// 3.4999999999999997E-7); fifteen significant digits are all a double holds for sure.
double TidyProduct(double a, double b) {
  char buffer[64];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, a * b, std::chars_format::general, 15).ptr;
  double tidy = a * b;
  std::from_chars(buffer, end, tidy);
  return tidy;
}

}  // namespace

StepResult Scaled(StepResult result, double factor) {
  result.nominal = TidyProduct(result.nominal, factor);
  for (std::optional<double>* value :
       {&result.lower, &result.upper, &result.marginalLower, &result.marginalUpper, &result.measured})
    if (*value) **value = TidyProduct(**value, factor);
  return result;
}

StepResult AnswerStepResult(std::string step, std::string answer, bool passed) {
  StepResult result;
  result.step = std::move(step);
  result.nominal = std::numeric_limits<double>::quiet_NaN();
  result.verdict = passed ? Verdict::Pass : Verdict::Fail;
  result.text = std::move(answer);
  return result;
}

bool JudgedOnAnswer(const StepResult& result) { return !std::isfinite(result.nominal) && !result.measured; }

std::string NoReadingCell(size_t width) {
  constexpr std::string_view kNoReading = "no reading";
  std::string cell(kNoReading);
  if (cell.size() < width) cell.insert(0, width - cell.size(), ' ');
  return cell;
}

}  // namespace veridane
