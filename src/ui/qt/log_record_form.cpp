#include "ui/qt/log_record_form.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/qt/widget_text.h"

namespace veridane {

LogRecordForm::LogRecordForm(Operator& op, const std::string& logName, const std::optional<LogRecordEntries>& kept,
                             QWidget* parent)
    : QDialog(parent), op_(op), boxes_(MakeRecordBoxes(this)), note_(new QLabel(this)), ok_(new QPushButton("OK", this)) {
  setObjectName("LogRecordForm");
  setWindowTitle("Calibration Record");
  setModal(true);
  note_->setObjectName("Label_Note");
  note_->setTextFormat(Qt::PlainText);
  note_->setWordWrap(true);
  note_->setText(WidgetText(kept ? "The runs added to " + logName + " are recorded with what was kept with the log:"
                                 : "Nothing is kept with " + logName +
                                       " about whose unit it is or the conditions. The runs added to it are "
                                       "recorded with:"));
  if (kept) ShowRecordEntries(boxes_, *kept);
  ok_->setObjectName("Button_OK");
  ok_->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("Button_Cancel");
  connect(ok_, &QPushButton::clicked, this, [this] {
    LogRecordEntries entries;
    if (!ReadRecordBoxes(op_, boxes_, entries)) return;
    result_ = entries;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* grid = new QGridLayout(this);
  grid->addWidget(note_, 0, 0, 1, 2);
  grid->addWidget(new QLabel("Customer: ", this), 1, 0);
  auto* unitRow = new QHBoxLayout;
  unitRow->addWidget(boxes_.customer, 2);
  unitRow->addWidget(new QLabel("Asset:", this));
  unitRow->addWidget(boxes_.asset, 1);
  grid->addLayout(unitRow, 1, 1);
  grid->addWidget(new QLabel("Record: ", this), 2, 0);
  auto* recordRow = new QHBoxLayout;
  recordRow->addWidget(boxes_.condition);
  recordRow->addWidget(new QLabel("Temperature:", this));
  recordRow->addWidget(boxes_.temperature);
  recordRow->addWidget(new QLabel("Humidity:", this));
  recordRow->addWidget(boxes_.humidity);
  recordRow->addStretch(1);
  grid->addLayout(recordRow, 2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 3, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  setMinimumWidth(480);
  boxes_.customer->setFocus();
}

}  // namespace veridane
