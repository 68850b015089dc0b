#include "ui/qt/error_log_form.h"

#include <QAction>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

#include "faultbook/error_log_file.h"
#include "faultbook/error_log_print.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/operator.h"
#include "platform/paths.h"
#include "scope/scope_identity.h"
#include "ui/qt/err_about_form.h"
#include "platform_qt/qt_printer.h"
#include "ui/qt/qt_file_dialogs.h"
#include "ui/qt/widget_text.h"

namespace veridane {


namespace {

constexpr const char* kCaption = "Embedded Faultbook";

std::string ChooseSaveFile(QWidget* parent, const std::string& initialPath) {
  QFileDialog dialog(parent, "Save the Error Log");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter("Error Log Files (*.txt)");
  dialog.setDefaultSuffix("txt");
  dialog.selectFile(QString::fromStdString(initialPath));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front().toStdString();
}

bool PrintWithDialog(QWidget* parent, Operator& op, const std::string& header, const std::vector<std::string>& entries) {
  QtPrinter printer;
  QtPrintDialog dialog(parent);
  const std::optional<PrintChoice> choice = dialog.ChoosePrinter(printer);
  if (!choice) return true;
  if (!printer.SetTarget(choice->target)) return false;
  op.SetBusy(true);
  ErrorLogOnPrinter out(printer);
  veridane::PrintErrorLog(out, header, entries, choice->copies);
  op.SetBusy(false);
  return !out.Failed();
}

}  // namespace

FaultbookDialogs DesktopFaultbookDialogs() { return {ChooseSaveFile, PrintWithDialog}; }

ErrorLogForm::ErrorLogForm(const FaultbookSeams& seams, FaultbookDialogs dialogs, QWidget* parent)
    : QDialog(parent), seams_(seams), dialogs_(std::move(dialogs)), logic_(seams.logic) {
  setObjectName("ErrorLogForm");
  setModal(true);
  setWindowTitle(WidgetText(kCaption + seams_.captionMark));

  auto* menuBar = new QMenuBar(this);
  QMenu* file = menuBar->addMenu("&File");
  auto addItem = [this](QMenu* menu, const char* name, const char* text, void (ErrorLogForm::*command)()) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, command);
    return action;
  };
  logCommands_.push_back(addItem(file, "PrintErrorLog", "&Print", &ErrorLogForm::PrintErrorLog));
  logCommands_.push_back(addItem(file, "SendErrorLogToFile", "Copy to &File", &ErrorLogForm::SendErrorLogToFile));
  logCommands_.push_back(addItem(file, "ClearErrorLog0", "C&lear", &ErrorLogForm::ClearErrorLog));
  file->addSeparator();
  QAction* exit = file->addAction("&Exit");
  exit->setObjectName("E");
  connect(exit, &QAction::triggered, this, &QDialog::close);
  QAction* about = menuBar->addAction("&About");
  about->setObjectName("errAbout");
  connect(about, &QAction::triggered, this, [this] {
    errAboutForm box(seams_.op, this);
    box.exec();
  });

  list1_ = new QListWidget(this);
  list1_->setObjectName("List1");
  list1_->setUniformItemSizes(true);  // hundreds of entries stay quick to show
  label1_ = new QLabel(this);
  label1_->setObjectName("Label1");
  label1_->setTextFormat(Qt::PlainText);

  refreshList_ = new QPushButton("&Refresh", this);
  refreshList_->setObjectName("RefreshList");
  connect(refreshList_, &QPushButton::clicked, this, &ErrorLogForm::RefreshList);
  clearErrorLog_ = new QPushButton("&Clear Error Log", this);
  clearErrorLog_->setObjectName("ClearErrorLog");
  connect(clearErrorLog_, &QPushButton::clicked, this, &ErrorLogForm::ClearErrorLog);
  close_ = new QPushButton("&Exit", this);
  close_->setObjectName("Close");
  connect(close_, &QPushButton::clicked, this, &QDialog::close);
  for (QPushButton* button : {refreshList_, clearErrorLog_, close_}) button->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(refreshList_);
  buttons->addWidget(clearErrorLog_);
  buttons->addStretch(1);
  buttons->addWidget(close_);

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menuBar);
  layout->addWidget(list1_, 1);
  layout->addWidget(label1_);
  layout->addLayout(buttons);
  resize(560, 380);
  ShowList();
}

QAction* ErrorLogForm::Action(const QString& name) const { return findChild<QAction*>(name); }

void ErrorLogForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (activated_) return;
  activated_ = true;
  // Once the window is on screen: the reading waits on the bus and lets events run meanwhile.
  QTimer::singleShot(0, this, &ErrorLogForm::Activate);
}

void ErrorLogForm::Run(const std::function<void()>& command) {
  if (running_ || ended_) return;
  running_ = true;
  try {
    command();
  } catch (...) {
    seams_.op.SetBusy(false);
    // Nothing may leave through Qt's event handling: keep it for the opener and close.
    ended_ = std::current_exception();
    reject();
  }
  running_ = false;
}

void ErrorLogForm::RethrowIfEnded() const {
  if (ended_) std::rethrow_exception(ended_);
}

void ErrorLogForm::Activate() {
  Run([this] {
    setWindowTitle(WidgetText(logic_.ConnectedCaption(kCaption) + seams_.captionMark));
    logic_.Unlock();
    ReadAndShow();
  });
}

void ErrorLogForm::ReadErrorLog() {
  Run([this] { ReadAndShow(); });
}

void ErrorLogForm::ReadAndShow() {
  // A long log takes a while: a tenth of a second per entry after the first few.
  seams_.op.SetBusy(true);
  // The old count would pass for the answer while the scope is still talking: say that it is
  // being read, and how far.
  list1_->clear();
  label1_->setText(WidgetText(ErrorLogReading(0)));
  logic_.ReadErrorLog([this](size_t soFar) {
    label1_->setText(WidgetText(ErrorLogReading(soFar)));
    label1_->repaint();
  });
  seams_.op.SetBusy(false);
  ShowList();
}

void ErrorLogForm::ShowList() {
  list1_->clear();
  QStringList items;
  items.reserve(static_cast<qsizetype>(logic_.List1().size()));
  for (const std::string& entry : logic_.List1()) items.append(WidgetText(entry));
  list1_->addItems(items);
  label1_->setText(WidgetText(logic_.Label1()));
  const bool enabled = logic_.CommandsEnabled();
  clearErrorLog_->setEnabled(enabled);
  for (QAction* action : logCommands_) action->setEnabled(enabled);
  if (enabled) clearErrorLog_->setFocus();
}

void ErrorLogForm::RefreshList() {
  Run([this] {
    logic_.Unlock();
    list1_->clear();
    ReadAndShow();
  });
}

void ErrorLogForm::ClearErrorLog() {
  Run([this] {
    if (!ConfirmClear(seams_.op)) return;
    seams_.op.SetBusy(true);
    logic_.ClearInScope();
    seams_.op.SetBusy(false);
    ShowList();
  });
}

std::string ErrorLogForm::Header() const { return ErrorLogHeader(logic_.Scope().ScopeModel, ShortDateToday()); }

void ErrorLogForm::PrintErrorLog() {
  if (!dialogs_.print || logic_.List1().empty()) return;
  Run([this] {
    if (!dialogs_.print(this, seams_.op, Header(), logic_.List1()))
      seams_.op.ShowMessBox("The error log could not be printed.", kOkOnly + kExclamation, "Print");
  });
}

void ErrorLogForm::SendErrorLogToFile() {
  if (!dialogs_.chooseSaveFile || logic_.List1().empty()) return;
  Run([this] { SaveToFile(); });
}

void ErrorLogForm::SaveToFile() {
  const std::string folder = PrepareErrorLogFolder(seams_.paths);
  const std::string path = dialogs_.chooseSaveFile(this, (folder.empty() ? std::string(".") : folder) + "/ErrorLog1");
  if (path.empty()) return;
  // A copy the technician believes saved but that is not on disk would be lost with the next
  // clear, so a failed write is said.
  if (!WriteErrorLogFile(path, ErrorLogFileLines(Header(), logic_.List1()))) {
    seams_.op.ShowMessBox("The error log could not be written to\n" + Text8FromUtf8(path), kOkOnly + kExclamation,
                          "Save the Error Log");
  }
}

void ShowErrorLog(QWidget* parent, const FaultbookSeams& seams) {
  ErrorLogForm form(seams, DesktopFaultbookDialogs(), parent);
  form.exec();
  form.RethrowIfEnded();
}

}  // namespace veridane
