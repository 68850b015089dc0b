#pragma once
// Asked when a result log is opened again to append to it: what its runs are recorded with
// beyond the log's header (whose unit, as found or as left, the conditions), filled in as they
// were kept with the log, or empty when nothing was kept (a log from before, a store that is
// off). OK takes the entries as shown; Cancel leaves them empty, so that nothing of another
// log's record is carried into this one.
#include <QDialog>
#include <optional>
#include <string>

#include "platform/operator.h"
#include "ui/qt/create_log_file_form.h"

class QLabel;
class QPushButton;

namespace veridane {

class LogRecordForm : public QDialog {
 public:
  // `kept`: the entries kept with the log, if any. Texts are the program's 8-bit text.
  LogRecordForm(Operator& op, const std::string& logName, const std::optional<LogRecordEntries>& kept,
                QWidget* parent = nullptr);

  // The entries after OK; none after Cancel.
  std::optional<LogRecordEntries> Result() const { return result_; }
  const RecordBoxes& Boxes() const { return boxes_; }
  QLabel* Note() const { return note_; }
  QPushButton* ButtonOK() const { return ok_; }

 private:
  Operator& op_;
  RecordBoxes boxes_;
  QLabel* note_;
  QPushButton* ok_;
  std::optional<LogRecordEntries> result_;
};

}  // namespace veridane
