#pragma once
// What a Parlex test needs around ManualPresenter: a view that records what it was told, file
// dialogs answered from a script, a scripted technician, settings in memory and a fresh
// folder on disk.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "parlex/manual_presenter.h"
#include "platform/event_loop.h"
#include "platform/settings.h"
#include "test/support/scripted_operator.h"

namespace veridane::parlex::testing {

class RecordingView : public ManualView {
 public:
  void SetCaption(std::string_view caption) override { this->caption = caption; }
  void SetEnabled(std::string_view, bool) override {}
  void SetChecked(std::string_view, bool) override {}
  void SetLabel(std::string_view, std::string_view) override {}
  void SetSyntaxErrorVisible(bool visible) override { visibility.push_back(visible); }
  void SetAddressButton(int index, const AddressButtonState& state) override { buttons[static_cast<size_t>(index)] = state; }
  void SetMessageList(const std::vector<std::string>& entries) override { list = entries; }
  void SetOutgoing(std::string_view text) override { outgoing = text; }
  void SelectOutgoingPart(size_t start, size_t length) override { selection = {start, length}; }
  void SetIncoming(std::string_view text) override { incoming = text; }
  void SetFocus(std::string_view name) override { focus = name; }
  void SetTimerEnabled(bool enabled) override { timer = enabled; }
  std::optional<int> RunSyntaxCheckForm(std::string_view frameCaption, int method) override {
    syntaxForms.push_back({std::string(frameCaption), method});
    if (syntaxAnswers.empty()) return std::nullopt;
    std::optional<int> answer = syntaxAnswers.front();
    syntaxAnswers.pop_front();
    return answer;
  }
  void ShowAbout() override { ++abouts; }

  std::string caption;
  std::vector<bool> visibility;
  std::array<AddressButtonState, kAddressButtons> buttons;
  std::vector<std::string> list;
  std::string outgoing;
  std::pair<size_t, size_t> selection{0, 0};
  std::string incoming;
  std::string focus;
  bool timer = false;
  struct SyntaxForm {
    std::string caption;
    int method;
  };
  std::vector<SyntaxForm> syntaxForms;
  std::deque<std::optional<int>> syntaxAnswers;
  int abouts = 0;
};

class ScriptedDialogs : public FileDialogs {
 public:
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override { return Next(request); }
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override { return Next(request); }
  std::optional<std::string> ChooseFolder(const FileDialogRequest& request) override { return Next(request); }
  bool OpenWithDesktop(const std::string& path) override {
    opened.push_back(path);
    return true;
  }

  std::deque<std::string> answers;  // empty text = Cancel
  std::vector<FileDialogRequest> requests;
  std::vector<std::string> opened;

 private:
  std::optional<std::string> Next(const FileDialogRequest& request) {
    requests.push_back(request);
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected file dialog: " << request.title;
      return std::nullopt;
    }
    std::string answer = answers.front();
    answers.pop_front();
    if (answer.empty()) return std::nullopt;
    return answer;
  }
};

// A fresh folder per test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    path_ = std::filesystem::temp_directory_path() /
            ("parlex-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string Path() const { return path_.string(); }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// A ManualPresenter on the given driver, loaded and activated, with the listeners given.
struct ParlexRig {
  ParlexRig(Gpib488& driver, EventLoop& loop, std::vector<int16_t> listeners);

  void Open();  // Load + Activate, as the window does
  bool Close();  // the unload question; when allowed, the unload
  void Type(const std::string& text) { form->OutgoingEdited(text); }
  void Send(const std::string& text) {
    Type(text);
    form->SendMessage();
  }

  TempFolder folder;
  veridane::testing::ScriptedOperator technician;
  MemorySettings settings;
  ScriptedDialogs dialogs;
  RecordingView view;
  ParlexRunState state;
  ParlexSeams seams;
  std::unique_ptr<ManualPresenter> form;
};

}  // namespace veridane::parlex::testing
