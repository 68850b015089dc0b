#include "pv/frame/result_row.h"

#include <charconv>
#include <utility>

#include "report/format.h"

namespace veridane {

std::string_view VerdictName(MeasuredVerdict verdict) {
  switch (verdict) {
    case MeasuredVerdict::Pass:
      return "PASS";
    case MeasuredVerdict::Marginal:
      return "marginal";
    case MeasuredVerdict::Fail:
      return "FAIL";
    case MeasuredVerdict::NotMeasurable:
      return "not measurable";
  }
  return "FAIL";
}

MeasuredVerdict VerdictOfJudgement(std::string_view judgement) {
  if (judgement == " PASS") return MeasuredVerdict::Pass;
  if (judgement == ">PASS") return MeasuredVerdict::Marginal;
  return MeasuredVerdict::Fail;
}

namespace {

// Fixed-width number texts pad inside ("1  V" has a blank where a prefix would be); a step's
// name is a key, so it gets single blanks only.
std::string SingleBlanks(std::string_view text) {
  std::string single;
  for (char c : text)
    if (c != ' ' || (!single.empty() && single.back() != ' ')) single += c;
  while (!single.empty() && single.back() == ' ') single.pop_back();
  return single;
}

}  // namespace

std::string ScaleStep(std::string_view channel, float voltsPerDivision) {
  return SingleBlanks(std::string(channel) + " " + FormatValue(voltsPerDivision, "V", 0) + "/div");
}

std::string DcStepName(std::string_view channel, float voltsPerDivision, float output, bool difference) {
  if (difference) return std::string(channel) + " difference";
  return SingleBlanks(ScaleStep(channel, voltsPerDivision) + " " + FormatValue(output, "V", 0));
}

namespace {

// A reading or limit is a single-precision number; widened as it stands it would carry binary
// noise into the store ("0.0031999999" for 3.2 mV). Its shortest decimal form is what it means.
double Decimal(float value) {
  char buffer[32];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  double decimal = value;
  std::from_chars(buffer, end, decimal);
  return decimal;
}

MeasuredRow BaseRow(std::string step, std::string unit, float nominal, std::optional<float> measured,
                    std::string_view judgement) {
  MeasuredRow row;
  row.step = std::move(step);
  row.unit = std::move(unit);
  row.nominal = Decimal(nominal);
  if (measured) row.measured = Decimal(*measured);
  row.verdict = measured ? VerdictOfJudgement(judgement) : MeasuredVerdict::NotMeasurable;
  return row;
}

}  // namespace

MeasuredRow TwoSidedRow(std::string step, std::string unit, float nominal, float tolerance,
                        std::optional<float> measured, std::string_view judgement) {
  MeasuredRow row = BaseRow(std::move(step), std::move(unit), nominal, measured, judgement);
  row.lower = Decimal(LowerLimit(nominal, tolerance));
  row.upper = Decimal(UpperLimit(nominal, tolerance));
  // The same inner band JudgeResult uses, so that a point drawn outside it reads "marginal".
  const float inner = 0.7f * tolerance;
  row.marginalLower = Decimal(LowerLimit(nominal, inner));
  row.marginalUpper = Decimal(UpperLimit(nominal, inner));
  return row;
}

MeasuredRow LowerLimitRow(std::string step, std::string unit, float nominal, float tolerance,
                          std::optional<float> measured, std::string_view judgement) {
  MeasuredRow row = BaseRow(std::move(step), std::move(unit), nominal, measured, judgement);
  row.lower = Decimal(LowerLimit(nominal, tolerance));
  return row;
}

}  // namespace veridane
