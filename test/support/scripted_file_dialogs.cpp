#include "test/support/scripted_file_dialogs.h"

#include <gtest/gtest.h>

namespace veridane::testing {

namespace {
const char* KindName(ScriptedFileDialogs::Kind kind) {
  switch (kind) {
    case ScriptedFileDialogs::Kind::Open: return "open";
    case ScriptedFileDialogs::Kind::Save: return "save";
    case ScriptedFileDialogs::Kind::Folder: return "folder";
  }
  return "?";
}
}  // namespace

ScriptedFileDialogs& ScriptedFileDialogs::Expect(Kind kind, std::string title, std::optional<std::string> answer) {
  expected_.push_back({kind, std::move(title), std::move(answer)});
  return *this;
}

std::optional<std::string> ScriptedFileDialogs::Answer(Kind kind, const FileDialogRequest& request) {
  requests_.push_back(request);
  if (next_ >= expected_.size()) {
    ADD_FAILURE() << "unexpected " << KindName(kind) << " dialog \"" << request.title << "\"";
    return std::nullopt;
  }
  const Expectation& e = expected_[next_++];
  if (e.kind != kind || e.title != request.title) {
    ADD_FAILURE() << "expected " << KindName(e.kind) << " dialog \"" << e.title << "\", got " << KindName(kind)
                  << " dialog \"" << request.title << "\"";
    return std::nullopt;
  }
  return e.answer;
}

std::optional<std::string> ScriptedFileDialogs::OpenFile(const FileDialogRequest& request) {
  return Answer(Kind::Open, request);
}
std::optional<std::string> ScriptedFileDialogs::SaveFile(const FileDialogRequest& request) {
  return Answer(Kind::Save, request);
}
std::optional<std::string> ScriptedFileDialogs::ChooseFolder(const FileDialogRequest& request) {
  return Answer(Kind::Folder, request);
}

bool ScriptedFileDialogs::OpenWithDesktop(const std::string& fileOrUrl) {
  opened_.push_back(fileOrUrl);
  return desktopWorks;
}

bool ScriptedFileDialogs::ExpectAllConsumed() const {
  if (next_ == expected_.size()) return true;
  ADD_FAILURE() << (expected_.size() - next_) << " expected dialog(s) never shown";
  return false;
}

}  // namespace veridane::testing
