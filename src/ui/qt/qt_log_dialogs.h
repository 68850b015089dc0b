#pragma once
// The log commands' two dialogs as the program's own modal windows.
#include <functional>

#include "log/log_dialogs.h"
#include "ui/qt/create_log_file_form.h"

class QWidget;

namespace veridane {

class QtLogDialogs : public LogDialogs {
 public:
  // op shows the create dialog's "Filename Error" box.
  explicit QtLogDialogs(Operator& op, QWidget* parent = nullptr) : op_(op), parent_(parent) {}

  std::optional<CreateLogEntries> CreateLogFileForm() override;
  std::optional<std::string> OpenLogFileForm(const std::string& folder) override;

  // Told the calibration record's entries of each accepted create dialog.
  void SetRecordHook(std::function<void(const LogRecordEntries&)> hook) { recordHook_ = std::move(hook); }

 private:
  std::function<void(const LogRecordEntries&)> recordHook_;
  Operator& op_;
  QWidget* parent_;
};

}  // namespace veridane
