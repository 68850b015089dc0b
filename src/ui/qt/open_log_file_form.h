#pragma once
// "Open Log File": the logs of the current model's folder; Open once one is picked, a double
// click opening it at once. The choosing is OpenLogForm's; this window shows it.
#include <QDialog>
#include <optional>
#include <string>

#include "log/open_log_form.h"

class QListWidget;
class QPushButton;

namespace veridane {

class OpenLogFileForm : public QDialog {
  Q_OBJECT

 public:
  // folder: the log folder as a file-system path.
  explicit OpenLogFileForm(const std::string& folder, QWidget* parent = nullptr);

  // The chosen log's name without ".log"; none after Cancel, Escape or the title bar's close.
  const std::optional<std::string>& Result() const { return result_; }

  QListWidget* LogFileList() const { return logFileList_; }
  QPushButton* OpenFileButton() const { return openFileButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }

 private:
  void OpenChosen(std::optional<std::string> name);

  OpenLogForm form_;
  std::optional<std::string> result_;
  QListWidget* logFileList_;
  QPushButton* openFileButton_;
  QPushButton* cancelButton_;
};

}  // namespace veridane
