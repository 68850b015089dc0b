#include "ui/qt/guide_form.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QVariant>

namespace veridane {

namespace {

// The pictures are whole 1024x768 screens; at full size they would hide the text beside a
// scroll bar. Shown at this width they stay readable within the window.
constexpr qreal kPictureWidth = 720;

void FitPictures(QTextDocument& document) {
  QTextCursor cursor(&document);
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.charFormat().isImageFormat()) continue;
      QTextImageFormat picture = fragment.charFormat().toImageFormat();
      picture.setWidth(kPictureWidth);
      picture.setHeight(kPictureWidth * 3 / 4);
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(picture);
    }
  }
}

}  // namespace

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
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] { FitPictures(*browser_->document()); });
  browser_->setSource(guide, QTextDocument::MarkdownResource);
  FitPictures(*browser_->document());
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

namespace {
constexpr const char* kGuideProperty = "veridaneUserGuide";
}

GuideForm* UserGuideOf(const QWidget* owner) {
  if (owner == nullptr) return nullptr;
  return qobject_cast<GuideForm*>(owner->property(kGuideProperty).value<QObject*>());
}

void ShowUserGuide(QWidget* owner) {
  GuideForm* form = UserGuideOf(owner);
  if (form == nullptr) {
    form = new GuideForm(UserGuideUrl());
    if (owner != nullptr) {
      owner->setProperty(kGuideProperty, QVariant::fromValue<QObject*>(form));
      QObject::connect(owner, &QObject::destroyed, form, [form] { delete form; });
      // Beside the owner, where the window system does not place it itself.
      form->move(owner->frameGeometry().topRight() + QPoint(8, 0));
    }
  }
  form->show();
  form->raise();
  form->activateWindow();
}

}  // namespace veridane
