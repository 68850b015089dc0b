#pragma once
// A result row as numbers, handed on beside its text: the text is what the technician sees and
// the log keeps; the numbers are what a results store needs to compare runs (a text such as
// " 1.234mV" has lost the reading's digits and its sign convention).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uncertainty/budget.h"
#include "uncertainty/step_uncertainty.h"

namespace veridane {

enum class MeasuredVerdict { Pass, Marginal, Fail, NotMeasurable };

// "PASS", "marginal", "FAIL", "not measurable": how the store and its exports name a verdict.
std::string_view VerdictName(MeasuredVerdict verdict);
// The verdict of a JudgeResult text (" PASS", ">PASS", " FAIL"); anything else is a FAIL, as
// no judged row may be counted as a pass by accident.
MeasuredVerdict VerdictOfJudgement(std::string_view judgement);

// The JudgeResult text every result row ends with.
inline std::string_view TrailingJudgement(std::string_view row) {
  return row.size() >= 5 ? row.substr(row.size() - 5) : row;
}
// "CH1 2 mV/div": a step named by channel and vertical scale.
std::string ScaleStep(std::string_view channel, float voltsPerDivision);
// A DC Voltage step: "CH1 5 mV/div -990 mV", or "CH1 difference" for the step that compares
// two readings.
std::string DcStepName(std::string_view channel, float voltsPerDivision, float output, bool difference);

struct MeasuredRow {
  std::string step;   // what sets this step apart inside its test: "CH1 2 mV/div"
  std::string unit;   // of every number below: "V"
  double nominal = 0;
  // Absent for a one-sided check.
  std::optional<double> lower;
  std::optional<double> upper;
  // The inner band outside which a pass is only marginal (two-sided checks only).
  std::optional<double> marginalLower;
  std::optional<double> marginalUpper;
  std::optional<double> measured;  // absent: the scope gave no reading
  MeasuredVerdict verdict = MeasuredVerdict::Fail;
  // What the reference standards were set to for this step (none: no standard sets it) and
  // the readings judged; the display fills the readings from the last measurement when the
  // procedure leaves them empty.
  std::vector<StandardSetting> standards{};
  std::vector<StepReadings> readings{};
};

// A two-sided row judged as JudgeResult mode 0 does: limits and the 70 % band from nominal and
// tolerance (> 0 percent, <= 0 absolute).
MeasuredRow TwoSidedRow(std::string step, std::string unit, float nominal, float tolerance,
                        std::optional<float> measured, std::string_view judgement);
// A lower limit only (JudgeResult mode < 0).
MeasuredRow LowerLimitRow(std::string step, std::string unit, float nominal, float tolerance,
                          std::optional<float> measured, std::string_view judgement);

// A shown result row as the display hands it to a results store.
struct ShownResult {
  int test = 0;            // test number (RunState::CurrentTest)
  std::string testName;    // as the status list names it
  std::string text;        // the row as shown, 8-bit
  MeasuredRow row;
  // Its budget, TUR and decision under the run's rule.
  StepUncertainty uncertainty{};
};

// Where the display hands every shown result row, beside the log.
class ResultSink {
 public:
  virtual ~ResultSink() = default;
  virtual void RecordResult(const ShownResult& result) = 0;
};

}  // namespace veridane
