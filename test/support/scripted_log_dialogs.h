#pragma once
// The log dialogs answered by the test: queued answers, taken in order; a dialog without a
// queued answer is cancelled. Records the folders the open dialog was shown on.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "log/log_dialogs.h"

namespace veridane::testing {

class ScriptedLogDialogs : public LogDialogs {
 public:
  void QueueCreate(std::optional<CreateLogEntries> entries) { creates_.push_back(std::move(entries)); }
  void QueueOpen(std::optional<std::string> name) { opens_.push_back(std::move(name)); }

  std::optional<CreateLogEntries> CreateLogFileForm() override {
    ++createShown;
    if (creates_.empty()) return std::nullopt;
    auto answer = std::move(creates_.front());
    creates_.pop_front();
    return answer;
  }
  std::optional<std::string> OpenLogFileForm(const std::string& folder) override {
    openFolders.push_back(folder);
    if (opens_.empty()) return std::nullopt;
    auto answer = std::move(opens_.front());
    opens_.pop_front();
    return answer;
  }

  int createShown = 0;
  std::vector<std::string> openFolders;

 private:
  std::deque<std::optional<CreateLogEntries>> creates_;
  std::deque<std::optional<std::string>> opens_;
};

}  // namespace veridane::testing
