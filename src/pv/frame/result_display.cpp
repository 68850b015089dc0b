#include "pv/frame/result_display.h"

#include "report/format.h"
#include "pv/frame/status_list.h"

namespace veridane {

ResultDisplay::ResultDisplay(MainView& view, RunState& state, Operator& op, EventLoop& loop)
    : view_(view), state_(state), op_(op), loop_(loop) {}

void ResultDisplay::PrintScreen(std::string_view line) { Show(line, nullptr); }

void ResultDisplay::Show(std::string_view line, const StepResult* result) {
  // On disk before on screen: a line the technician has seen is in the log even when the
  // program is killed the moment after. A judged step's row was written by the log's sink.
  if (result == nullptr && LogOpen()) log_->WriteLogLine(CompactLine(line));
  if (!text_.empty()) {
    std::string added = "\r\n" + std::string(line);
    text_ += added;
    if (result != nullptr)
      view_.AppendResult(added, *result);
    else
      view_.AppendDisplayText(added);
  } else {
    text_ = line;
    if (result != nullptr) {
      view_.SetDisplayText("");
      view_.AppendResult(text_, *result);
    } else {
      view_.SetDisplayText(text_);
    }
    view_.SetEnabled(ui::kPrintStart, true);
    // Under an open log the transcript must not be cleared, so the clear commands stay off.
    if (!LogOpen()) {
      view_.SetEnabled(ui::kClearTests, true);
      view_.SetEnabled(ui::kClearTests2, true);
    }
  }
  loop_.ProcessEvents();
  view_.ShowDisplayEnd();
}

void ResultDisplay::Step(const AssessedStep& step) {
  const StepResult& shown = step.result;
  Show(shown.text, &shown);
  view_.ShowResultUncertainty(ExpandedText(step.uncertainty, shown.unit), TurText(step.uncertainty));
  results_.push_back(step);
}

void ResultDisplay::PrintFirst(std::string_view title, std::string_view header) {
  std::string name = state_.CurrentTestName();
  if (!title.empty()) name += " - " + std::string(title);
  PrintScreen("");
  PrintScreen(name);
  if (!header.empty()) {
    PrintScreen(header);
    PrintScreen("");
  }
}

bool ResultDisplay::ClearScreenQuery() {
  if (text_.empty()) return true;
  int16_t answer = op_.ShowMessBox(
      "This will clear screen and (re)set all test status.\r\nDo you want to continue ?",
      kYesNo + kQuestion, "Create Log File");
  return answer != kNo;
}

void ResultDisplay::ClearDisplay() {
  text_.clear();
  results_.clear();
  view_.SetDisplayText(text_);
  view_.SetEnabled(ui::kPrintStart, false);
}

void ResultDisplay::ClearTests() {
  if (!ClearScreenQuery()) return;
  for (int n = 1; n <= state_.NumberOfTests; ++n) state_.TestStatus[static_cast<size_t>(n)] = TestOutcome::NotRun;
  ClearDisplay();
  TestStatusUpdate(state_, view_);
  view_.SetEnabled(ui::kClearTests, false);
  view_.SetEnabled(ui::kClearTests2, false);
}

void ResultDisplay::SetText(std::string_view text) {
  text_ = text;
  view_.SetDisplayText(text_);
  view_.ShowDisplayEnd();
}

}  // namespace veridane
