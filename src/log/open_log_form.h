#pragma once
// What the "Open Log File" dialog does, without its widgets: the logs of the current model's
// folder, Open enabled once one is picked, a double click opening it.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace veridane {

// The "*.log" files of a folder (file-system path), by name in the program's 8-bit text,
// sorted. Names that have no 8-bit form are left out: the log commands could not name them.
std::vector<std::string> LogFilesIn(const std::string& folder);

class OpenLogForm {
 public:
  explicit OpenLogForm(std::string folder);

  const std::string& Folder() const { return folder_; }
  const std::vector<std::string>& Files() const { return files_; }

  void Click(size_t index);
  bool OpenEnabled() const { return selected_.has_value(); }
  // The selected log's name without ".log"; none when nothing is selected.
  std::optional<std::string> Open() const;
  std::optional<std::string> DoubleClick(size_t index) {
    Click(index);
    return Open();
  }

 private:
  std::string folder_;
  std::vector<std::string> files_;
  std::optional<size_t> selected_;
};

}  // namespace veridane
