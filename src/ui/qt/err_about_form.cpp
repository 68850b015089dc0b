#include "ui/qt/err_about_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/operator.h"
#include "ui/qt/click_label.h"
#include "ui/qt/widget_text.h"

namespace veridane {

namespace {
constexpr const char* kCredit = "Faultbook reads, clears, prints and saves the error log of the scope under test.\n\n";
}

errAboutForm::errAboutForm(Operator& op, QWidget* parent) : QDialog(parent) {
  setObjectName("errAboutForm");
  setModal(true);
  setWindowTitle("About embedded Faultbook");

  labelAbout_ = new QLabel(WidgetText(kCredit), this);
  labelAbout_->setObjectName("Label_About");
  labelAbout_->setTextFormat(Qt::PlainText);
  labelAbout_->setWordWrap(true);

  labelEMail_ = new ClickLabel("e-Mail", this);
  labelEMail_->setObjectName("Label_eMail");
  QFont underlined = labelEMail_->font();
  underlined.setUnderline(true);
  labelEMail_->setFont(underlined);
  connect(labelEMail_, &ClickLabel::clicked, this, [&op] {
    op.ShowMessBox("Use mail function on the About form of the main program instead.", kOkOnly + kInformation,
                   "Email");
  });

  commandCheckUpdate_ = new QPushButton("Check for Update", this);
  commandCheckUpdate_->setObjectName("Command_CheckUpdate");
  commandCheckUpdate_->setVisible(false);

  // Escape closes the box from either button, as the close button does: the dialog's own
  // Escape handling rejects, which unloads it the same way.
  commandOK_ = new QPushButton("Close", this);
  commandOK_->setObjectName("Command_OK");
  commandOK_->setDefault(true);
  connect(commandOK_, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(labelEMail_);
  buttons->addStretch(1);
  buttons->addWidget(commandCheckUpdate_);
  buttons->addWidget(commandOK_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(labelAbout_);
  layout->addLayout(buttons);
  setMinimumWidth(420);
}

}  // namespace veridane
