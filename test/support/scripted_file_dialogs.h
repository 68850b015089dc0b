#pragma once
// File dialogs answered by the test: each dialog must be the one expected next (kind and
// title), and is answered with the scripted path or Cancel; any other fails the test.
#include <optional>
#include <string>
#include <vector>

#include "platform/file_dialogs.h"

namespace veridane::testing {

class ScriptedFileDialogs : public FileDialogs {
 public:
  enum class Kind { Open, Save, Folder };

  ScriptedFileDialogs& Expect(Kind kind, std::string title, std::optional<std::string> answer);

  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseFolder(const FileDialogRequest& request) override;
  bool OpenWithDesktop(const std::string& fileOrUrl) override;

  // Every dialog shown, in order, with the request it was given.
  const std::vector<FileDialogRequest>& Requests() const { return requests_; }
  const std::vector<std::string>& OpenedWithDesktop() const { return opened_; }
  // When false, OpenWithDesktop reports that the desktop could not open it.
  bool desktopWorks = true;

  bool ExpectAllConsumed() const;

 private:
  struct Expectation {
    Kind kind;
    std::string title;
    std::optional<std::string> answer;
  };
  std::optional<std::string> Answer(Kind kind, const FileDialogRequest& request);

  std::vector<Expectation> expected_;
  size_t next_ = 0;
  std::vector<FileDialogRequest> requests_;
  std::vector<std::string> opened_;
};

}  // namespace veridane::testing
