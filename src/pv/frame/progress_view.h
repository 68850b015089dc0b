#pragma once
// The main window as the frame drives it, with two things added on the way through, so that
// every display (window or console) gets them alike:
//  - progress: a test runs from Exit Test armed to Exit Test disarmed; its judged steps (as the
//    frame hands them to this, its progress sink) are its steps; every change is handed on to
//    the line that shows it;
//  - Clear Display stays disabled while a test runs (clearing mid-test would lose rows the log
//    may not hold); what the display asked for meanwhile is applied when the test ends.
#include <functional>
#include <string>
#include <string_view>

#include "platform/event_loop.h"
#include "pv/frame/main_view.h"
#include "pv/frame/progress.h"
#include "pv/frame/run_state.h"
#include "pv/frame/step_sink.h"

namespace veridane {

class ProgressView : public MainView, public StepSink {
 public:
  using PlanFor = std::function<ProgressPlan(int testNumber)>;
  using Sink = std::function<void(std::string_view text)>;

  ProgressView(MainView& inner, EventLoop& clock, PlanFor plan, Sink sink);

  // The run state names the test that starts; it exists only once the program is composed.
  void Attach(const RunState& state) { state_ = &state; }
  const ProgressTracker& Tracker() const { return tracker_; }
  // Hands the text for the present moment to the sink again (a ticking clock).
  void Refresh();

  void SetCaption(std::string_view caption) override { inner_.SetCaption(caption); }
  void SetDisplayText(std::string_view text) override { inner_.SetDisplayText(text); }
  void AppendDisplayText(std::string_view text) override { inner_.AppendDisplayText(text); }
  void AppendResult(std::string_view text, const StepResult& result) override { inner_.AppendResult(text, result); }
  void ShowDisplayEnd() override { inner_.ShowDisplayEnd(); }
  void ShowResultUncertainty(std::string_view expanded, std::string_view tur) override {
    inner_.ShowResultUncertainty(expanded, tur);
  }
  void SetStatusLines(const std::vector<std::string>& lines) override { inner_.SetStatusLines(lines); }
  void SetCounter(int index, std::string_view text, bool alert) override { inner_.SetCounter(index, text, alert); }
  void SetEnabled(std::string_view name, bool enabled) override;
  void SetChecked(std::string_view name, bool checked) override { inner_.SetChecked(name, checked); }
  void SetLogFileLabel(std::string_view name) override { inner_.SetLogFileLabel(name); }

  // A judged step of the running test counts as done; steps outside a test do not.
  void Step(const AssessedStep& step) override;

 private:
  MainView& inner_;
  EventLoop& clock_;
  PlanFor plan_;
  Sink sink_;
  const RunState* state_ = nullptr;
  ProgressTracker tracker_;
  bool clearWanted_ = false;  // Clear Display as the display last asked for it
};

}  // namespace veridane
