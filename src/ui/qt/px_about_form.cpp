#include "ui/qt/px_about_form.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "parlex/manual_presenter.h"

namespace veridane {

pxAboutForm::pxAboutForm(QWidget* parent) : QDialog(parent) {
  setObjectName("pxAboutForm");
  setModal(true);
  setWindowTitle("About embedded Parlex");

  labelAbout_ = new QLabel(QString("Parlex - the manual GPIB message tool of this program, version ") +
                               QString::fromStdString(parlex::VerPX()) + ".\n\n",
                           this);
  labelAbout_->setObjectName("Label_About");
  labelAbout_->setTextFormat(Qt::PlainText);

  labelEMail_ = new QLabel("E-mail", this);
  labelEMail_->setObjectName("Label_eMail");
  labelEMail_->setCursor(Qt::PointingHandCursor);
  QFont link = labelEMail_->font();
  link.setUnderline(true);
  labelEMail_->setFont(link);
  labelEMail_->installEventFilter(this);

  checkUpdate_ = new QPushButton("Check for Update", this);
  checkUpdate_->setObjectName("Command_CheckUpdate");
  checkUpdate_->setVisible(false);
  ok_ = new QPushButton("Close", this);
  ok_->setObjectName("Command_OK");
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(checkUpdate_, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(labelEMail_);
  buttons->addStretch(1);
  buttons->addWidget(checkUpdate_);
  buttons->addWidget(ok_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(labelAbout_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool pxAboutForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == labelEMail_ && event->type() == QEvent::MouseButtonRelease) {
    emit EMailClicked();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace veridane
