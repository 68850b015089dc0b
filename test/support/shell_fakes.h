#pragma once
// What the start-up tests need around a Program: a window that remembers what it was told,
// a technician answering by caption, and a scratch data folder.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/operator.h"
#include "shell/shell_view.h"
#include "pv/frame/main_view.h"

namespace veridane::testing {

class RecordingShellView : public MainView, public ShellView {
 public:
  // MainView
  void SetCaption(std::string_view caption) override { captions.emplace_back(caption); }
  void SetDisplayText(std::string_view text) override { display = text; }
  void AppendDisplayText(std::string_view text) override { display += text; }
  void AppendResult(std::string_view text, const StepResult& result) override {
    display += text;
    results.push_back(result);
  }
  void ShowDisplayEnd() override {}
  void ShowResultUncertainty(std::string_view expanded, std::string_view tur) override {
    uncertainties.emplace_back(std::string(expanded) + " " + std::string(tur));
  }
  void SetStatusLines(const std::vector<std::string>& lines) override { statusLines = lines; }
  void SetCounter(int index, std::string_view text, bool) override { counters[index] = text; }
  void SetEnabled(std::string_view name, bool enabled) override { enabled_[std::string(name)] = enabled; }
  void SetChecked(std::string_view, bool) override {}
  void SetLogFileLabel(std::string_view) override {}

  // ShellView
  void SetLabel1(std::string_view text) override { label1 = text; }
  void Intro(int16_t seconds) override { intros.push_back(seconds); }
  void ShowAbout() override { ++aboutShown; }

  std::string Caption() const { return captions.empty() ? "" : captions.back(); }
  // "enabled", "disabled", or "unset" when the program never touched it.
  std::string State(std::string_view name) const {
    auto it = enabled_.find(std::string(name));
    return it == enabled_.end() ? "unset" : it->second ? "enabled" : "disabled";
  }

  std::vector<std::string> captions;
  std::string display;
  std::vector<StepResult> results;  // every judged step shown, in order
  std::vector<std::string> uncertainties;  // "U TUR" of each, as the window would show them
  std::vector<std::string> statusLines;
  std::map<int, std::string> counters;
  std::string label1;
  std::vector<int16_t> intros;
  int aboutShown = 0;

 private:
  std::map<std::string, bool> enabled_;
};

// Answers each box by its caption (OK, Yes or Retry when none is set) and records it, for
// benches whose hand-set instruments bring prompts the test does not care about one by one.
class CaptionOperator : public Operator {
 public:
  struct Prompt {
    std::string text;
    int16_t style;
    std::string caption;
  };

  void Answer(std::string caption, BoxAnswer answer) { answers_[std::move(caption)] = answer; }

  using Operator::ShowMessBox;
  BoxAnswer ShowMessBox(std::string_view text, int16_t style, std::string_view caption) override {
    prompts.push_back({std::string(text), style, std::string(caption)});
    auto it = answers_.find(std::string(caption));
    if (it != answers_.end()) return it->second;
    switch (BoxStyle::FromCode(style).buttons) {
      case Buttons::YesNoCancel:
      case Buttons::YesNo:
        return kYes;
      case Buttons::RetryCancel:
      case Buttons::AbortRetryIgnore:
        return kRetry;
      default:
        return kOk;
    }
  }
  void ShowInfo(std::string_view text) override { infoTexts.emplace_back(text); }
  [[noreturn]] void EndProgram() override {
    ++endProgramCount;
    throw ProgramEnded();
  }

  int CountCaption(std::string_view caption) const {
    int n = 0;
    for (const Prompt& prompt : prompts) n += prompt.caption == caption;
    return n;
  }

  std::vector<Prompt> prompts;
  std::vector<std::string> infoTexts;
  int endProgramCount = 0;

 private:
  std::map<std::string, BoxAnswer> answers_;
};

// A fresh, empty folder removed afterwards.
class ScratchFolder {
 public:
  // The process id keeps two suites run at once (two build trees, or ctest -j) apart.
  explicit ScratchFolder(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              ("veridane-shell-" + name + "-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Path() const { return path_; }
  std::string String() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace veridane::testing
