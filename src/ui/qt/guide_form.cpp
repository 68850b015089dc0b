#include "ui/qt/guide_form.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

namespace veridane {

QUrl UserGuideUrl() {
  if (QFile::exists(":/guide/user-guide.md")) return QUrl("qrc:/guide/user-guide.md");
  return QUrl::fromLocalFile(QStringLiteral(VERIDANE_DOCS_DIR "/user-guide.md"));
}

GuideForm::GuideForm(const QUrl& guide, QWidget* parent) : QDialog(parent), browser_(new QTextBrowser) {
  setObjectName("GuideForm");
  setWindowTitle("Veridane User Guide");
  // Beside the main window, not over it: the guide is read while working.
  setModal(false);
  browser_->setObjectName("Guide");
  // Web addresses go to the desktop's browser; the guide's own links stay here.
  browser_->setOpenExternalLinks(true);
  browser_->setSource(guide, QTextDocument::MarkdownResource);
  if (browser_->document()->isEmpty())
    browser_->setPlainText("The user guide could not be read from " + guide.toDisplayString() + ".");

  auto* back = new QPushButton("&Back");
  auto* home = new QPushButton("&Contents");
  auto* close = new QPushButton("Close");
  back->setEnabled(false);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(home, &QPushButton::clicked, browser_, &QTextBrowser::home);
  connect(close, &QPushButton::clicked, this, &QDialog::close);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(back);
  buttons->addWidget(home);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_, 1);
  layout->addLayout(buttons);
  resize(860, 680);
  browser_->setFocus();
}

void ShowUserGuide(QWidget* parent) {
  auto* form = parent != nullptr ? parent->findChild<GuideForm*>() : nullptr;
  if (form == nullptr) form = new GuideForm(UserGuideUrl(), parent);
  form->show();
  form->raise();
  form->activateWindow();
}

}  // namespace veridane
