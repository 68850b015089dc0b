#pragma once
// "Create a Logfile": serial number (or ID), log file name, operator and comments. The rules
// (upper case, the name following the serial, the ID mode, OK only with a name, Enter walking
// the boxes, the name checks) are CreateLogForm's; this window forwards its events there and
// shows what the form makes of them.
#include <QDialog>
#include <optional>
#include <string>

#include "log/create_log_form.h"
#include "results/run_context.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace veridane {

// What the calibration record takes from the dialog beside the log header (which they do not
// change): whose unit (customer, asset), as found or as left, and the lab's conditions.
struct LogRecordEntries {
  RunLabel label = RunLabel::AsFound;
  std::optional<double> temperatureC;
  std::optional<double> humidityPercent;
  std::string customer;
  std::string assetId;
};

// The record's boxes, shared by Create Log File and the question when a log is opened again.
struct RecordBoxes {
  QLineEdit* customer = nullptr;
  QLineEdit* asset = nullptr;
  QComboBox* condition = nullptr;
  QLineEdit* temperature = nullptr;
  QLineEdit* humidity = nullptr;
};
RecordBoxes MakeRecordBoxes(QWidget* parent);
void ShowRecordEntries(const RecordBoxes& boxes, const LogRecordEntries& entries);
// The entries of the boxes; a condition that is no number in its range is said in a box and its
// box gets the focus: false then.
bool ReadRecordBoxes(Operator& op, const RecordBoxes& boxes, LogRecordEntries& entries);

class CreateLogFileForm : public QDialog {
  Q_OBJECT

 public:
  explicit CreateLogFileForm(Operator& op, QWidget* parent = nullptr);

  // The entries after OK; none after Cancel, Escape or the title bar's close.
  std::optional<CreateLogEntries> Result() const;
  // The record's entries after OK.
  const LogRecordEntries& RecordResult() const { return record_; }

  QLabel* Label1() const { return label1_; }
  QLineEdit* TextSN() const { return textSN_; }
  QLineEdit* TextLogFileName() const { return textLogFileName_; }
  QLineEdit* TextOperatorName() const { return textOperatorName_; }
  QLineEdit* TextComments() const { return textComments_; }
  QPushButton* ButtonOK() const { return buttonOK_; }
  QPushButton* ButtonCancel() const { return buttonCancel_; }
  QCheckBox* CheckID() const { return checkID_; }
  QComboBox* Condition() const { return condition_; }
  QLineEdit* Temperature() const { return temperature_; }
  QLineEdit* Humidity() const { return humidity_; }
  QLineEdit* Customer() const { return record_boxes_.customer; }
  QLineEdit* Asset() const { return record_boxes_.asset; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ShowForm();
  QWidget* WidgetOf(CreateLogForm::Control control) const;
  std::optional<CreateLogForm::Control> ControlOf(const QWidget* widget) const;

  bool ReadRecordEntries();

  Operator& op_;
  CreateLogForm form_;
  bool accepted_ = false;
  LogRecordEntries record_;
  QLabel* label1_;
  QLineEdit* textSN_;
  QLineEdit* textLogFileName_;
  QLineEdit* textOperatorName_;
  QLineEdit* textComments_;
  QPushButton* buttonOK_;
  QPushButton* buttonCancel_;
  QCheckBox* checkID_;
  RecordBoxes record_boxes_;
  QComboBox* condition_;
  QLineEdit* temperature_;
  QLineEdit* humidity_;
};

}  // namespace veridane
