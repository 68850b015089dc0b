#include "ui/qt/mess_box.h"

#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "ui/qt/twips.h"
#include "ui/qt/widget_text.h"

namespace veridane {

namespace {

QSize TextSize(const QFont& font, const QString& text) {
  const QFontMetrics metrics(font);
  return metrics.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs, text)
      .size();
}

}  // namespace

MessBox::MessBox(std::string_view text, int16_t style, std::string_view caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      style_(DecodeStyle(style)),
      answer_(CloseBoxAnswer(style_.buttonSet)),
      labelCaption_(new QLabel(this)),
      labelMsg_(new QLabel(this)),
      frameMsg_(new QFrame(this)),
      lineMsg_(new QFrame(this)) {
  setObjectName("MessBox");
  setModal(true);
  labelCaption_->setObjectName("Label_Caption");
  labelMsg_->setObjectName("Label_Msg");
  frameMsg_->setObjectName("Frame_Msg");
  lineMsg_->setObjectName("Line_Msg");

  // Plain text throughout: the markers ("< ? >") and callers' texts must never read as markup.
  setWindowTitle(WidgetText(MessBoxTitle(caption, style_.iconKind)));
  labelCaption_->setTextFormat(Qt::PlainText);
  labelCaption_->setText(WidgetText(MessBoxTitleLine(caption, style_.iconKind)));
  QFont bold = labelCaption_->font();
  bold.setBold(true);
  labelCaption_->setFont(bold);

  labelMsg_->setTextFormat(Qt::PlainText);
  labelMsg_->setText(WidgetText(MessageLines(text)));
  labelMsg_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  frameMsg_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  lineMsg_->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  frameMsg_->lower();

  const ButtonCaptions captions = CaptionsForSet(style_.buttonSet);
  for (int i = 0; i < 3; ++i) {
    auto* button = new QPushButton(this);
    button->setObjectName(QString("Button_%1").arg(i));
    button->setAutoDefault(true);  // Enter presses the focused button
    const std::string& caption = captions[static_cast<size_t>(i)];
    button->setText(QString::fromStdString(caption));
    button->setVisible(!caption.empty());
    connect(button, &QPushButton::clicked, this, [this, i] { ButtonClicked(i); });
    buttons_[static_cast<size_t>(i)] = button;
  }
  // Tab order left to right, as the buttons are seen.
  setTabOrder(buttons_[2], buttons_[1]);
  setTabOrder(buttons_[1], buttons_[0]);
  LayOut();
}

void MessBox::LayOut() {
  const QSize text = TextSize(labelMsg_->font(), labelMsg_->text());
  const QSize title = TextSize(labelCaption_->font(), labelCaption_->text());
  const MessBoxGeometry g = LayOutMessBox(Twips(text.width()), Twips(text.height()), Twips(title.width()),
                                          VisibleButtonCount(style_.buttonSet));
  setFixedSize(Px(g.windowWidth), Px(g.windowHeight));
  labelCaption_->setGeometry(Px(g.labelLeft), Px(g.captionTop), std::max(title.width(), Px(g.labelWidth)),
                             title.height());
  lineMsg_->setGeometry(0, Px(g.lineTop), Px(g.windowWidth), 2);
  frameMsg_->setGeometry(0, Px(g.frameTop), Px(g.windowWidth), Px(g.frameHeight));
  labelMsg_->setGeometry(Px(g.labelLeft), Px(g.labelTop), Px(g.labelWidth), std::max(text.height(), Px(255)));
  for (size_t i = 0; i < 3; ++i)
    buttons_[i]->setGeometry(Px(g.buttonLeft[i]), Px(g.buttonTop), Px(g.buttonWidth), Px(g.buttonHeight));
}

int16_t MessBox::Run() {
  exec();
  return answer_;
}

void MessBox::ButtonClicked(int index) {
  // A caption outside the table leaves the answer as it was; every set in use has known captions.
  if (auto code = CodeFromCaption(buttons_[static_cast<size_t>(index)]->text().toStdString())) answer_ = *code;
  accept();
}

void MessBox::reject() {
  answer_ = CloseBoxAnswer(style_.buttonSet);
  QDialog::reject();
}

void MessBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QPushButton* initial = buttons_[static_cast<size_t>(InitialFocusIndex(style_))];
  initial->setDefault(true);
  initial->setFocus(Qt::ActiveWindowFocusReason);
}

void MessBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    for (QPushButton* button : buttons_) {
      // The dialog's focus widget, not the application's: the box answers the button it shows as
      // focused even while another window is active.
      if (!button->isHidden() && focusWidget() == button) {
        button->click();
        return;
      }
    }
    reject();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace veridane
