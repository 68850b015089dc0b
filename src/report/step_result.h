#pragma once
// One judged step of a test, as a value: what was measured against which limits, the verdict,
// and the row that shows it. A test judges a reading once (Judge); the row's text is formatted
// from that judgement, and the same value then goes on to the display, the progress counter, the
// colours, the console, the results store, its exports and the log import. Nothing downstream
// reads a verdict or a number back out of the row's text; only old log files, which are text
// alone, are read back into this value (VerdictOfRowText, and the log import's column readers).
//
// Room to grow: what a later step needs about a result (standards used, uncertainty, decision
// rule) belongs here as further members, filled where the reading is judged.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veridane {

enum class Verdict {
  Pass,
  Marginal,        // inside the limits, outside the inner 70 % band
  Fail,
  NotMeasurable,   // no reading: the scope's "no valid measurement", a timeout, a garbled reply
  ParameterError,  // the step's own limits make no sense (two-sided with no tolerance)
};

// A verdict that makes its test fail.
constexpr bool Failed(Verdict verdict) { return verdict != Verdict::Pass && verdict != Verdict::Marginal; }

// The verdict column of a result row: " PASS", ">PASS", " FAIL", "Parameter Error".
std::string_view VerdictText(Verdict verdict);
// "PASS", "marginal", "FAIL", "not measurable", "parameter error": how the store and its exports
// name a verdict; VerdictFromName reads them back (nullopt for a name it does not know).
std::string_view VerdictName(Verdict verdict);
std::optional<Verdict> VerdictFromName(std::string_view name);

// The verdict a row's text ends with (trailing blanks and a line end allowed), for text that
// comes without its judgement: an old log read back, a display filled from a log file. None for
// a row that is not a result row. A FAIL stays a FAIL: whether it had a reading is for the
// reader of the columns to say.
std::optional<Verdict> VerdictOfRowText(std::string_view row);
// Where the verdict word ("PASS", "FAIL") starts in a result row: four from its end.
inline constexpr size_t kVerdictWordLength = 4;

// Which limits a reading is judged against; tolerance > 0 is percent of the nominal value, <= 0
// an absolute amount. A one-sided check with no tolerance has the nominal value itself as its
// limit, on the other side: a lower-limit check then fails above the nominal, an upper-limit
// check below it (the trigger test's "at least two sides").
enum class JudgeMode : int8_t {
  TwoSided,    // nominal +/- tolerance, with the inner 70 % band outside which a pass is marginal
  LowerLimit,  // fails below LowerLimit(nominal, tolerance)
  UpperLimit,  // fails above UpperLimit(nominal, tolerance)
};
// The coded form of the routine the tests were first written against: 0 two-sided, < 0 lower
// limit, > 0 upper limit.
constexpr JudgeMode JudgeModeFromCode(int code) {
  return code == 0 ? JudgeMode::TwoSided : code < 0 ? JudgeMode::LowerLimit : JudgeMode::UpperLimit;
}

// The judgement of one reading, with the limits it was judged against. Without a reading the
// verdict is NotMeasurable.
struct Judgement {
  Verdict verdict = Verdict::Fail;
  double nominal = 0;
  std::optional<double> lower;  // absent when the check has no such side
  std::optional<double> upper;
  std::optional<double> marginalLower;  // two-sided checks only
  std::optional<double> marginalUpper;
};
Judgement Judge(float nominal, float tolerance, JudgeMode mode, std::optional<float> measured);

struct StepResult {
  // The test the row belongs to; the display fills these in when the row is shown.
  int test = 0;
  std::string testName;  // as the status list names it
  // What sets this step apart inside its test ("CH1 2 mV/div"): one series in the history.
  std::string step;
  std::string unit;  // of every number below: "V", "s", "sides"
  double nominal = 0;
  std::optional<double> lower;
  std::optional<double> upper;
  std::optional<double> marginalLower;
  std::optional<double> marginalUpper;
  std::optional<double> measured;  // absent: no reading
  Verdict verdict = Verdict::Fail;
  std::string text;  // the row as shown and logged (8-bit)
};

// A step from its judgement; numbers as the shortest decimals of the singles they came from
// ("0.0032", not the binary 0.0031999999).
StepResult MakeStepResult(std::string step, std::string unit, const Judgement& judgement,
                          std::optional<float> measured);
// The same step with every number multiplied by factor (a step judged in µs kept in s).
StepResult Scaled(StepResult result, double factor);

// A step judged on what an instrument answered rather than on a reading (the scope's self
// calibration): no numbers at all (its nominal value is not a number, stored as none), and its
// text is the answer, which is what its measured cell shows wherever the step is listed.
StepResult AnswerStepResult(std::string step, std::string answer, bool passed);
bool JudgedOnAnswer(const StepResult& result);
// The text of a measured cell that has no reading: "no reading", right-aligned in the width the
// cell has when it holds a number, so the row keeps its width.
std::string NoReadingCell(size_t width);

}  // namespace veridane
