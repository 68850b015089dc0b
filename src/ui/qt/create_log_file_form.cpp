#include "ui/qt/create_log_file_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "platform/text8.h"
#include "record/record_prompts.h"
#include "ui/qt/twips.h"
#include "ui/qt/widget_text.h"

namespace veridane {

namespace {

QLineEdit* AddBox(QWidget* parent, const char* name) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  return box;
}

QLabel* AddLabel(QWidget* parent, const char* name, const char* caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

CreateLogFileForm::CreateLogFileForm(Operator& op, QWidget* parent) : QDialog(parent), op_(op), form_(op) {
  setObjectName("CreateLogFileForm");
  setWindowTitle("Create a Logfile");
  setModal(true);

  label1_ = AddLabel(this, "Label1", form_.SerialLabel());
  textSN_ = AddBox(this, "Text_SN");
  auto* label2 = AddLabel(this, "Label2", "Logfile Name: ");
  textLogFileName_ = AddBox(this, "Text_LogFileName");
  textLogFileName_->setMaxLength(static_cast<int>(CreateLogForm::kMaxNameLength));
  auto* label3 = AddLabel(this, "Label3", "Operator: ");
  textOperatorName_ = AddBox(this, "Text_OperatorName");
  auto* label4 = AddLabel(this, "Label4", "Comments: ");
  textComments_ = AddBox(this, "Text_Comments");
  buttonOK_ = new QPushButton("OK", this);
  buttonOK_->setObjectName("Button_OK");
  buttonCancel_ = new QPushButton("Cancel", this);
  buttonCancel_->setObjectName("Button_Cancel");
  checkID_ = new QCheckBox("ID instead of S/N", this);
  checkID_->setObjectName("Check_ID");
  // The calibration record's part: not written to the log header.
  auto* label5 = AddLabel(this, "Label5", "Record: ");
  auto* label6 = AddLabel(this, "Label6", "Customer: ");
  record_boxes_ = MakeRecordBoxes(this);
  condition_ = record_boxes_.condition;
  temperature_ = record_boxes_.temperature;
  humidity_ = record_boxes_.humidity;

  // Only the technician's own edits are events of the form: the texts the form sets back
  // (upper case, the name following the serial) must not come round again.
  connect(textSN_, &QLineEdit::textEdited, this, [this](const QString& text) {
    form_.SerialChanged(TextFromWidget(text));
    ShowForm();
  });
  connect(textLogFileName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    form_.NameChanged(TextFromWidget(text));
    ShowForm();
  });
  connect(textOperatorName_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.OperatorChanged(TextFromWidget(text)); });
  connect(textComments_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.CommentsChanged(TextFromWidget(text)); });
  connect(checkID_, &QCheckBox::clicked, this, [this](bool ticked) {
    form_.CheckIdClicked(ticked);
    ShowForm();
  });
  connect(buttonOK_, &QPushButton::clicked, this, [this] {
    if (!ReadRecordEntries()) return;
    if (!form_.Ok()) return;  // the reason was shown; the entries stay for correcting
    accepted_ = true;
    accept();
  });
  connect(buttonCancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(this, &QDialog::rejected, this, [this] {
    accepted_ = false;
    form_.Cancel();
  });

  auto* serialRow = new QHBoxLayout;
  serialRow->addWidget(textSN_);
  serialRow->addStretch(1);
  serialRow->addWidget(checkID_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(buttonOK_);
  buttons->addWidget(buttonCancel_);
  auto* grid = new QGridLayout(this);
  grid->addWidget(label1_, 0, 0);
  grid->addLayout(serialRow, 0, 1);
  grid->addWidget(label2, 1, 0);
  grid->addWidget(textLogFileName_, 1, 1);
  grid->addWidget(label3, 2, 0);
  grid->addWidget(textOperatorName_, 2, 1);
  grid->addWidget(label4, 3, 0);
  grid->addWidget(textComments_, 3, 1);
  auto* recordRow = new QHBoxLayout;
  recordRow->addWidget(condition_);
  recordRow->addWidget(new QLabel("Temperature:", this));
  recordRow->addWidget(temperature_);
  recordRow->addWidget(new QLabel("Humidity:", this));
  recordRow->addWidget(humidity_);
  recordRow->addStretch(1);
  auto* unitRow = new QHBoxLayout;
  unitRow->addWidget(record_boxes_.customer, 2);
  unitRow->addWidget(new QLabel("Asset:", this));
  unitRow->addWidget(record_boxes_.asset, 1);
  grid->addWidget(label6, 4, 0);
  grid->addLayout(unitRow, 4, 1);
  grid->addWidget(label5, 5, 0);
  grid->addLayout(recordRow, 5, 1);
  grid->addLayout(buttons, 6, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  setMinimumWidth(Px(6000));

  setTabOrder(textSN_, textLogFileName_);
  setTabOrder(textLogFileName_, textOperatorName_);
  setTabOrder(textOperatorName_, textComments_);
  setTabOrder(textComments_, buttonOK_);
  setTabOrder(buttonOK_, buttonCancel_);
  setTabOrder(buttonCancel_, checkID_);
  setTabOrder(checkID_, record_boxes_.customer);
  setTabOrder(record_boxes_.customer, record_boxes_.asset);
  setTabOrder(record_boxes_.asset, condition_);
  setTabOrder(condition_, temperature_);
  setTabOrder(temperature_, humidity_);

  ShowForm();
  textSN_->setFocus();
}

std::optional<CreateLogEntries> CreateLogFileForm::Result() const {
  if (!accepted_) return std::nullopt;
  return form_.Result();
}

bool CreateLogFileForm::ReadRecordEntries() { return ReadRecordBoxes(op_, record_boxes_, record_); }

RecordBoxes MakeRecordBoxes(QWidget* parent) {
  RecordBoxes boxes;
  boxes.customer = AddBox(parent, "Text_Customer");
  boxes.customer->setPlaceholderText("whose unit (optional)");
  boxes.asset = AddBox(parent, "Text_Asset");
  boxes.asset->setPlaceholderText("optional");
  boxes.condition = new QComboBox(parent);
  boxes.condition->setObjectName("Combo_Condition");
  boxes.condition->addItems({"As found", "As left"});
  boxes.temperature = AddBox(parent, "Text_Temperature");
  boxes.temperature->setPlaceholderText("\u00B0C");
  boxes.temperature->setMaximumWidth(Px(900));
  boxes.humidity = AddBox(parent, "Text_Humidity");
  boxes.humidity->setPlaceholderText("% RH");
  boxes.humidity->setMaximumWidth(Px(900));
  return boxes;
}

namespace {
QString Condition(const std::optional<double>& value) {
  return value ? QString::number(*value, 'g', 6) : QString();
}
}  // namespace

void ShowRecordEntries(const RecordBoxes& boxes, const LogRecordEntries& entries) {
  boxes.customer->setText(WidgetText(entries.customer));
  boxes.asset->setText(WidgetText(entries.assetId));
  boxes.condition->setCurrentIndex(entries.label == RunLabel::AsLeft ? 1 : 0);
  boxes.temperature->setText(Condition(entries.temperatureC));
  boxes.humidity->setText(Condition(entries.humidityPercent));
}

bool ReadRecordBoxes(Operator& op, const RecordBoxes& boxes, LogRecordEntries& entries) {
  entries.label = boxes.condition->currentIndex() == 1 ? RunLabel::AsLeft : RunLabel::AsFound;
  entries.customer = Trim(TextFromWidget(boxes.customer->text()));
  entries.assetId = Trim(TextFromWidget(boxes.asset->text()));
  if (!ConditionReading(TextFromWidget(boxes.temperature->text()), kLowestTemperature, kHighestTemperature,
                        entries.temperatureC)) {
    op.ShowMessBox("The temperature is a number of degrees Celsius (-40 to 80), or empty.", kOkOnly + kExclamation,
                   "Calibration Record");
    boxes.temperature->setFocus();
    return false;
  }
  if (!ConditionReading(TextFromWidget(boxes.humidity->text()), 0, 100, entries.humidityPercent)) {
    op.ShowMessBox("The humidity is a relative humidity in percent (0 to 100), or empty.", kOkOnly + kExclamation,
                   "Calibration Record");
    boxes.humidity->setFocus();
    return false;
  }
  return true;
}

void CreateLogFileForm::ShowForm() {
  label1_->setText(form_.SerialLabel());
  const QString serial = WidgetText(form_.Serial());
  // The designed width holds five or six characters; a serial such as B012345 or an ID text
  // must be read whole before it goes into the log header, so the box is never narrower than
  // twenty characters or the text typed.
  const QFontMetrics metrics = textSN_->fontMetrics();
  const int margin = metrics.averageCharWidth() * 2 + 8;
  textSN_->setFixedWidth(std::max({Px(form_.SerialWidthTwips()), metrics.horizontalAdvance(QString(20, '0')) + margin,
                                   metrics.horizontalAdvance(serial) + margin}));
  // Upper-casing puts the caret at the end, as the bench PCs always did; in ID mode the text
  // is the technician's own and the caret stays where it is.
  if (!form_.IdTicked() || textSN_->text() != serial) {
    textSN_->setText(serial);
    textSN_->setCursorPosition(static_cast<int>(serial.size()));
  }
  const QString name = WidgetText(form_.Name());
  if (textLogFileName_->text() != name) textLogFileName_->setText(name);
  buttonOK_->setEnabled(form_.OkEnabled());
  if (auto focus = form_.TakeFocusRequest()) WidgetOf(*focus)->setFocus();
}

QWidget* CreateLogFileForm::WidgetOf(CreateLogForm::Control control) const {
  using C = CreateLogForm::Control;
  switch (control) {
    case C::SerialNumber: return textSN_;
    case C::LogFileName: return textLogFileName_;
    case C::OperatorName: return textOperatorName_;
    case C::Comments: return textComments_;
    case C::OkButton: return buttonOK_;
    case C::CancelButton: return buttonCancel_;
    case C::CheckId: return checkID_;
  }
  return textSN_;
}

std::optional<CreateLogForm::Control> CreateLogFileForm::ControlOf(const QWidget* widget) const {
  using C = CreateLogForm::Control;
  for (C control : {C::SerialNumber, C::LogFileName, C::OperatorName, C::Comments})
    if (WidgetOf(control) == widget) return control;
  return std::nullopt;
}

void CreateLogFileForm::keyPressEvent(QKeyEvent* event) {
  // Enter walks the boxes instead of pressing a default button: a half-filled log header
  // must not be accepted by a stray Enter. On a button, the button handles Enter itself.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (auto control = ControlOf(focusWidget())) WidgetOf(form_.EnterPressed(*control))->setFocus();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace veridane
