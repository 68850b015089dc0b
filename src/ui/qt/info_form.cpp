#include "ui/qt/info_form.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "ui/qt/info_text.h"
#include "ui/qt/twips.h"
#include "shell/version.h"
#include "ui/qt/widget_text.h"

namespace veridane {

InfoForm::InfoForm(QWidget* anchor)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint), anchor_(anchor),
      label_(new QLabel(this)) {
  setObjectName("InfoForm");
  setWindowTitle(kApplicationTitle);
  // Progress texts must not take the keyboard away from the main window (Exit Test).
  setAttribute(Qt::WA_ShowWithoutActivating);
  label_->setObjectName("InfoText");
  label_->setTextFormat(Qt::PlainText);
}

void InfoForm::ShowInfo(std::string_view text) {
  const InfoChange change = NextInfoText(text_, isVisible(), text);
  text_ = change.text;
  if (text_.empty()) {
    label_->clear();
    hide();
  } else {
    label_->setText(WidgetText(text_));
    Place();
    if (change.show || !isVisible()) show();
  }
  QCoreApplication::processEvents();
}

void InfoForm::Place() {
  label_->adjustSize();
  label_->move(Px(300), Px(120));
  const QSize size(label_->width() + Px(675), label_->height() + Px(315));
  setFixedSize(size);
  QRect around;
  if (anchor_) {
    around = anchor_->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    around = screen->availableGeometry();
  }
  if (around.isValid())
    move(around.left() + (around.width() - size.width()) / 2, around.top() + (around.height() - size.height()) / 2);
}

}  // namespace veridane
