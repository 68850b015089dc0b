#include "pv/frame/result_display.h"

#include "report/format.h"
#include "pv/frame/status_list.h"

namespace veridane {

ResultDisplay::ResultDisplay(MainView& view, RunState& state, Operator& op, EventLoop& loop)
    : view_(view), state_(state), op_(op), loop_(loop) {}

void ResultDisplay::PrintScreen(std::string_view line) {
  // On disk before on screen: a line the technician has seen is in the log even when the
  // program is killed the moment after.
  if (LogOpen()) log_->WriteLogLine(CompactLine(line));
  if (!text_.empty()) {
    std::string added = "\r\n" + std::string(line);
    text_ += added;
    view_.AppendDisplayText(added);
  } else {
    text_ = line;
    view_.SetDisplayText(text_);
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

void ResultDisplay::PrintResult(std::string_view line, const MeasuredRow& row) {
  ShownResult shown{state_.CurrentTest, state_.CurrentTestName(), std::string(line), row, {}};
  if (shown.row.readings.empty() && !pending_.empty()) shown.row.readings.push_back(pending_.back());
  pending_.clear();
  const bool simplePass = row.verdict == MeasuredVerdict::Pass || row.verdict == MeasuredVerdict::Marginal;
  shown.uncertainty = AssessStep(state_.StandardUncertainties, shown.row.standards, shown.row.readings,
                                 StepLimits{row.nominal, row.lower, row.upper, row.measured, simplePass},
                                 state_.DecisionRule);
  PrintScreen(line);
  view_.ShowResultUncertainty(ExpandedText(shown.uncertainty, row.unit), TurText(shown.uncertainty));
  if (sink_ != nullptr) sink_->RecordResult(shown);
  results_.push_back(std::move(shown));
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
  for (int n = 1; n <= kNumberOfTests; ++n) state_.TestStatus[static_cast<size_t>(n)] = kStatusNotRun;
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
