#pragma once
// The two log dialogs as the log commands see them. The window shows them as modal Qt
// dialogs driving CreateLogForm and OpenLogForm; the headless run answers from its command
// line. Closing a dialog from its title bar answers like Cancel.
#include <optional>
#include <string>

#include "log/log_format.h"
#include "platform/operator.h"

namespace veridane {

class LogDialogs {
 public:
  virtual ~LogDialogs() = default;
  // "Create a Logfile": the accepted entries, or none for Cancel.
  virtual std::optional<CreateLogEntries> CreateLogFileForm() = 0;
  // "Open Log File" on the given log folder (file-system path): the chosen log's name
  // without ".log", or none for Cancel.
  virtual std::optional<std::string> OpenLogFileForm(const std::string& folder) = 0;
};

// Answers with preset entries, checked as the dialog checks them (a bad name is reported
// through the operator and answered as Cancel). Without a preset a dialog is cancelled.
class PresetLogDialogs : public LogDialogs {
 public:
  explicit PresetLogDialogs(Operator& op) : op_(op) {}
  void SetCreateAnswer(std::optional<CreateLogEntries> entries) { create_ = std::move(entries); }
  void SetOpenAnswer(std::optional<std::string> name) { open_ = std::move(name); }

  std::optional<CreateLogEntries> CreateLogFileForm() override;
  std::optional<std::string> OpenLogFileForm(const std::string& folder) override;

 private:
  Operator& op_;
  std::optional<CreateLogEntries> create_;
  std::optional<std::string> open_;
};

}  // namespace veridane
