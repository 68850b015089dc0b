#include "ui/qt/open_log_file_form.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt/twips.h"
#include "ui/qt/widget_text.h"

namespace veridane {

OpenLogFileForm::OpenLogFileForm(const std::string& folder, QWidget* parent) : QDialog(parent), form_(folder) {
  setObjectName("OpenLogFileForm");
  setWindowTitle("Open Log File");
  setModal(true);

  logFileList_ = new QListWidget(this);
  logFileList_->setObjectName("LogFileList");
  logFileList_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const std::string& file : form_.Files()) logFileList_->addItem(WidgetText(file));

  openFileButton_ = new QPushButton("&Open File", this);
  openFileButton_->setObjectName("OpenFileButton");
  openFileButton_->setEnabled(false);
  // Enter on the list opens the picked log, as a double click does.
  openFileButton_->setDefault(true);
  cancelButton_ = new QPushButton("&Cancel", this);
  cancelButton_->setObjectName("CancelButton");

  // A selection, not the current row: the list makes its first row current when it takes the
  // focus, and that is no choice of the technician's. Arrow keys select as clicks do.
  connect(logFileList_, &QListWidget::itemSelectionChanged, this, [this] {
    const int row = logFileList_->currentRow();
    if (row < 0 || !logFileList_->currentItem()->isSelected()) return;
    form_.Click(static_cast<size_t>(row));
    openFileButton_->setEnabled(form_.OpenEnabled());
  });
  // The first log is picked from the start, so Enter (the default button) opens it; arrow
  // keys or a click pick another.
  if (logFileList_->count() > 0) logFileList_->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
  logFileList_->setFocus();
  connect(logFileList_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    OpenChosen(form_.DoubleClick(static_cast<size_t>(logFileList_->row(item))));
  });
  connect(openFileButton_, &QPushButton::clicked, this, [this] { OpenChosen(form_.Open()); });
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(this, &QDialog::rejected, this, [this] { result_.reset(); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(openFileButton_);
  buttons->addWidget(cancelButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(logFileList_);
  layout->addLayout(buttons);
  resize(Px(5400), Px(4200));
}

void OpenLogFileForm::OpenChosen(std::optional<std::string> name) {
  if (!name) return;
  result_ = std::move(name);
  accept();
}

}  // namespace veridane
