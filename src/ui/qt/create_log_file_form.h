#pragma once
// "Create a Logfile": serial number (or ID), log file name, operator and comments. The rules
// (upper case, the name following the serial, the ID mode, OK only with a name, Enter walking
// the boxes, the name checks) are CreateLogForm's; this window forwards its events there and
// shows what the form makes of them.
#include <QDialog>
#include <optional>

#include "log/create_log_form.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace veridane {

class CreateLogFileForm : public QDialog {
  Q_OBJECT

 public:
  explicit CreateLogFileForm(Operator& op, QWidget* parent = nullptr);

  // The entries after OK; none after Cancel, Escape or the title bar's close.
  std::optional<CreateLogEntries> Result() const;

  QLabel* Label1() const { return label1_; }
  QLineEdit* TextSN() const { return textSN_; }
  QLineEdit* TextLogFileName() const { return textLogFileName_; }
  QLineEdit* TextOperatorName() const { return textOperatorName_; }
  QLineEdit* TextComments() const { return textComments_; }
  QPushButton* ButtonOK() const { return buttonOK_; }
  QPushButton* ButtonCancel() const { return buttonCancel_; }
  QCheckBox* CheckID() const { return checkID_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ShowForm();
  QWidget* WidgetOf(CreateLogForm::Control control) const;
  std::optional<CreateLogForm::Control> ControlOf(const QWidget* widget) const;

  CreateLogForm form_;
  bool accepted_ = false;
  QLabel* label1_;
  QLineEdit* textSN_;
  QLineEdit* textLogFileName_;
  QLineEdit* textOperatorName_;
  QLineEdit* textComments_;
  QPushButton* buttonOK_;
  QPushButton* buttonCancel_;
  QCheckBox* checkID_;
};

}  // namespace veridane
