#pragma once
// A main window that remembers what the logic showed, an open log that keeps its lines, and an
// operator wrapper that lets a test act (press Exit Test) while a prompt is on screen.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/operator.h"
#include "pv/frame/main_view.h"
#include "pv/frame/result_log.h"

namespace veridane::testing {

class RecordingView : public MainView {
 public:
  void SetCaption(std::string_view caption) override { caption_ = caption; }
  void SetDisplayText(std::string_view text) override { display_ = text; }
  void AppendDisplayText(std::string_view text) override { display_ += text; }
  void AppendResult(std::string_view text, const StepResult&) override { display_ += text; }
  void ShowDisplayEnd() override { ++showEndCount_; }
  void ShowResultUncertainty(std::string_view, std::string_view) override {}
  void SetStatusLines(const std::vector<std::string>& lines) override { statusLines_ = lines; }
  void SetCounter(int index, std::string_view text, bool alert) override {
    counters_[index] = {std::string(text), alert};
  }
  void SetEnabled(std::string_view name, bool enabled) override { enabled_[std::string(name)] = enabled; }
  void SetChecked(std::string_view name, bool checked) override { checked_[std::string(name)] = checked; }
  void SetLogFileLabel(std::string_view name) override { logLabel_ = name; }

  const std::string& Caption() const { return caption_; }
  const std::string& Display() const { return display_; }
  int ShowEndCount() const { return showEndCount_; }
  const std::vector<std::string>& StatusLines() const { return statusLines_; }
  std::string Counter(int index) const { return counters_.count(index) ? counters_.at(index).first : "?"; }
  bool CounterAlert(int index) const { return counters_.count(index) && counters_.at(index).second; }
  // Never-set controls read as "unknown" so that a test can tell "left alone" from "disabled".
  std::string State(std::string_view name) const {
    auto it = enabled_.find(std::string(name));
    return it == enabled_.end() ? "unset" : it->second ? "enabled" : "disabled";
  }

 private:
  std::string caption_;
  std::string display_;
  int showEndCount_ = 0;
  std::vector<std::string> statusLines_;
  std::map<int, std::pair<std::string, bool>> counters_;
  std::map<std::string, bool> enabled_;
  std::map<std::string, bool> checked_;
  std::string logLabel_;
};

class RecordingLog : public ResultLog {
 public:
  bool LogOpen() const override { return open; }
  void WriteLogLine(std::string_view line) override { lines.emplace_back(line); }
  bool open = true;
  std::vector<std::string> lines;
};

// Forwards every prompt to another operator; before answering, runs the action registered for
// a caption (once), as a technician clicking elsewhere while the box is open.
class ActingOperator : public Operator {
 public:
  explicit ActingOperator(Operator& inner) : inner_(inner) {}
  void OnPrompt(std::string caption, std::function<void()> action) { actions_[std::move(caption)] = std::move(action); }

  using Operator::ShowMessBox;
  BoxAnswer ShowMessBox(std::string_view text, int16_t style, std::string_view caption) override {
    auto it = actions_.find(std::string(caption));
    if (it != actions_.end()) {
      auto action = std::move(it->second);
      actions_.erase(it);
      action();
    }
    return inner_.ShowMessBox(text, style, caption);
  }
  void ShowInfo(std::string_view text) override { inner_.ShowInfo(text); }
  void SetBusy(bool busy) override { inner_.SetBusy(busy); }
  [[noreturn]] void EndProgram() override {
    inner_.EndProgram();
    throw ProgramEnded();  // should the inner operator ever return
  }

 private:
  Operator& inner_;
  std::map<std::string, std::function<void()>> actions_;
};

}  // namespace veridane::testing
