#pragma once
// The log commands' two dialogs as the program's own modal windows.
#include "log/log_dialogs.h"

class QWidget;

namespace veridane {

class QtLogDialogs : public LogDialogs {
 public:
  // op shows the create dialog's "Filename Error" box.
  explicit QtLogDialogs(Operator& op, QWidget* parent = nullptr) : op_(op), parent_(parent) {}

  std::optional<CreateLogEntries> CreateLogFileForm() override;
  std::optional<std::string> OpenLogFileForm(const std::string& folder) override;

 private:
  Operator& op_;
  QWidget* parent_;
};

}  // namespace veridane
