#include "pv/frame/progress_view.h"

namespace veridane {

ProgressView::ProgressView(MainView& inner, EventLoop& clock, PlanFor plan, Sink sink)
    : inner_(inner), clock_(clock), plan_(std::move(plan)), sink_(std::move(sink)) {}

void ProgressView::Refresh() {
  if (sink_) sink_(tracker_.Text(clock_.Now()));
}

void ProgressView::Step(const AssessedStep&) {
  if (!tracker_.Running()) return;
  tracker_.Step();
  Refresh();
}

void ProgressView::SetEnabled(std::string_view name, bool enabled) {
  if (name == ui::kClearTests2) {
    clearWanted_ = enabled;
    if (tracker_.Running()) return;
  } else if (name == ui::kExitTestButton) {
    if (enabled && !tracker_.Running()) {
      const int number = state_ != nullptr ? state_->CurrentTest : 0;
      const std::string name8 = state_ != nullptr ? state_->CurrentTestName() : std::string("Test");
      tracker_.Begin(name8, plan_ ? plan_(number) : ProgressPlan{}, clock_.Now());
      inner_.SetEnabled(ui::kClearTests2, false);
      Refresh();
    } else if (!enabled && tracker_.Running()) {
      tracker_.End(clock_.Now());
      inner_.SetEnabled(ui::kClearTests2, clearWanted_);
      Refresh();
    }
  }
  inner_.SetEnabled(name, enabled);
}

}  // namespace veridane
