#pragma once
// The file dialogs of the platform, and handing a file or web address to the desktop. The Qt
// dialogs implement it for the window; the headless run and the tests answer from preset
// values. Names are file-system names (UTF-8); titles are the program's 8-bit text.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veridane {

struct FileDialogRequest {
  std::string title;
  std::string initialFolder;
  std::string initialName;
  // As the classic dialogs take it: "Log Files (*.log)|*.log|All Files (*.*)|*.*".
  std::string filter;
};

// One description and its patterns ("*.txt;*.lst"), split out of a filter text.
struct FileFilter {
  std::string description;
  std::vector<std::string> patterns;
};
std::vector<FileFilter> ParseFileFilter(std::string_view filter);

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;

  // The chosen file or folder as a full path; empty when the technician cancelled.
  virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
  // Save asks before it replaces an existing file.
  virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> ChooseFolder(const FileDialogRequest& request) = 0;

  // Opens a file with its usual program, or a web address in the browser; false when the
  // desktop could not.
  virtual bool OpenWithDesktop(const std::string& fileOrUrl) = 0;
};

// Answers without asking: the headless run, whose answers come from its command line. A
// dialog without a preset answer is cancelled; a preset name without a folder is taken in the
// request's initial folder. Nothing is opened on the desktop, only remembered.
class HeadlessFileDialogs : public FileDialogs {
 public:
  void SetOpenAnswer(std::optional<std::string> path) { open_ = std::move(path); }
  void SetSaveAnswer(std::optional<std::string> path) { save_ = std::move(path); }
  void SetFolderAnswer(std::optional<std::string> path) { folder_ = std::move(path); }

  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseFolder(const FileDialogRequest& request) override;
  bool OpenWithDesktop(const std::string& fileOrUrl) override;

  const std::vector<std::string>& OpenedWithDesktop() const { return opened_; }

 private:
  std::optional<std::string> open_, save_, folder_;
  std::vector<std::string> opened_;
};

// The request's initial folder joined with name, unless name is already a path.
std::string PathInFolder(const std::string& folder, const std::string& name);

}  // namespace veridane
