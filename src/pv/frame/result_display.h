#pragma once
// The main window's result display: every row a test produces, in order, and (while a log is
// open) the same line in the log file. Keeps the text itself, so printing and the log commands
// read it here; the view only mirrors it. For judged steps it is the frame's view sink: it shows
// the step as it is made, and decides nothing about it.
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "platform/operator.h"
#include "pv/frame/main_view.h"
#include "pv/frame/result_log.h"
#include "pv/frame/result_row.h"
#include "pv/frame/run_state.h"
#include "pv/frame/step_sink.h"

namespace veridane {

class ResultDisplay : public StepSink {
 public:
  ResultDisplay(MainView& view, RunState& state, Operator& op, EventLoop& loop);

  // The log arrives after construction (it needs this display itself); null means no log.
  void SetResultLog(ResultLog* log) { log_ = log; }
  bool LogOpen() const { return log_ != nullptr && log_->LogOpen(); }

  // Appends a row (CR LF between rows, none after the last); the first row into an empty
  // display enables printing and, with no log open, the clear commands. Lets events run.
  void PrintScreen(std::string_view line);
  // A judged step (the view sink): its row shown as PrintScreen shows a line, the view told it
  // is a result and given its uncertainty. The log has it already, as the sink before.
  void Step(const AssessedStep& step) override;
  // Every result row since the display was last cleared, with its uncertainty.
  const std::vector<AssessedStep>& Results() const { return results_; }
  // A test's heading: empty line, test name [+ " - " + title], and header + empty line.
  void PrintFirst(std::string_view title, std::string_view header);
  // True when the display may be cleared: it is empty, or the technician did not answer No.
  bool ClearScreenQuery();
  void ClearDisplay();
  // The Clear Display/Status command (View menu item and button).
  void ClearTests();

  const std::string& Text() const { return text_; }
  // Replaces the whole text (a log re-opened for appending) and shows its end.
  void SetText(std::string_view text);

 private:
  MainView& view_;
  RunState& state_;
  Operator& op_;
  EventLoop& loop_;
  ResultLog* log_ = nullptr;
  void Show(std::string_view line, const StepResult* result);

  std::string text_;
  std::vector<AssessedStep> results_;
};

}  // namespace veridane
