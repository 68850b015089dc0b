#include "ui/qt/syntax_check_form.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/qt/widget_text.h"

namespace veridane {

namespace {
constexpr const char* kCaptions[] = {
    "Serial Poll Method (older instruments, e.g. TM5000, 11k)",
    "None",
    "Status Registers Method (IEEE 488.2 compatible instruments e.g. TDS's)",
};
}  // namespace

SyntaxCheckForm::SyntaxCheckForm(std::string_view frameCaption, int method, QWidget* parent) : QDialog(parent) {
  setObjectName("SyntaxCheckForm");
  setWindowTitle("Syntax Check");
  setModal(true);

  frame_ = new QGroupBox(WidgetText(frameCaption), this);
  frame_->setObjectName("Frame1");
  for (int i = 0; i < 3; ++i) {
    auto* option = new QRadioButton(kCaptions[i], frame_);
    option->setObjectName(QString("SyntaxCheckMethod%1").arg(i));
    options_[static_cast<size_t>(i)] = option;
  }
  // On screen: None, Serial Poll, Status Registers.
  auto* column = new QVBoxLayout(frame_);
  column->addWidget(options_[1]);
  column->addWidget(options_[0]);
  column->addWidget(options_[2]);
  const int index = method + 1;
  if (index >= 0 && index < 3) options_[static_cast<size_t>(index)]->setChecked(true);
  // The keyboard walks the options in the order they are shown, starting at the chosen one:
  // the arrow keys then move the choice up and down, Tab goes on to Close.
  QWidget::setTabOrder(options_[1], options_[0]);
  QWidget::setTabOrder(options_[0], options_[2]);

  close_ = new QPushButton("&Close", this);
  close_->setObjectName("Close_Button");
  close_->setDefault(true);
  connect(close_, &QPushButton::clicked, this, [this] {
    for (int i = 0; i < 3; ++i) {
      if (options_[static_cast<size_t>(i)]->isChecked()) {
        chosen_ = i - 1;
        break;
      }
    }
    accept();
  });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  QWidget::setTabOrder(options_[2], close_);
  for (QRadioButton* option : options_)
    if (option->isChecked()) option->setFocus();
}

std::optional<int> SyntaxCheckForm::Run() {
  chosen_.reset();
  exec();
  return chosen_;
}

}  // namespace veridane
