#pragma once
// The main window's result display: every row a test produces, in order, and (while a log is
// open) the same row in the log file. Keeps the text itself, so printing and the log commands
// read it here; the view only mirrors it.
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "platform/operator.h"
#include "pv/frame/main_view.h"
#include "pv/frame/result_log.h"
#include "pv/frame/result_row.h"
#include "pv/frame/run_state.h"

namespace veridane {

class ResultDisplay {
 public:
  ResultDisplay(MainView& view, RunState& state, Operator& op, EventLoop& loop);

  // The log arrives after construction (it needs this display itself); null means no log.
  void SetResultLog(ResultLog* log) { log_ = log; }
  bool LogOpen() const { return log_ != nullptr && log_->LogOpen(); }
  // The results store, beside the log; null means none. It sees only rows shown with PrintResult.
  void SetResultSink(ResultSink* sink) { sink_ = sink; }

  // Appends a row (CR LF between rows, none after the last); the first row into an empty
  // display enables printing and, with no log open, the clear commands. Lets events run.
  void PrintScreen(std::string_view line);
  // A judged step: its row shown and logged as PrintScreen does (the view told it is a result),
  // assessed against the register's uncertainties with the readings it judged, then handed,
  // with its test, to the results store.
  void PrintResult(StepResult result, std::vector<StandardSetting> standards = {},
                   std::vector<StepReadings> readings = {});
  // A step kept in the results store alone (the self calibration's outcome): nothing is shown
  // or logged, so the tables and the log stay as they are.
  void RecordOnly(const StepResult& result) { if (sink_ != nullptr) sink_->RecordResult(result); }
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
  ResultSink* sink_ = nullptr;
  void Show(std::string_view line, const StepResult* result);

  std::string text_;
  std::vector<AssessedStep> results_;
};

}  // namespace veridane
