#include "ui/qt/mess_box.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "ui/qt/twips.h"
#include "ui/qt/widget_text.h"

namespace veridane {

namespace {

// Room the window manager's border and title bar take around the client area.
constexpr int kFrameAllowanceWidth = 16;
constexpr int kFrameAllowanceHeight = 48;
constexpr int kSideMargins = 310;  // twips, as LayOutMessBox
constexpr int kUnbounded = 100000;

// The size of the text unbroken, or broken at blanks to `wrapWidth` when it is given.
QSize TextSize(const QFont& font, const QString& text, int wrapWidth = 0) {
  const QFontMetrics metrics(font);
  int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs;
  if (wrapWidth > 0) flags |= Qt::TextWordWrap;
  return metrics.boundingRect(QRect(0, 0, wrapWidth > 0 ? wrapWidth : kUnbounded, kUnbounded), flags, text).size();
}

QRect AvailableArea(const QWidget* parent) {
  QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

}  // namespace

MessBox::MessBox(std::string_view text, int16_t style, std::string_view caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      style_(DecodeStyle(style)),
      wayOutEndsWork_(CancelEndsProgram(text)),
      answer_(CloseBoxAnswer(style_.buttons)),
      labelCaption_(new QLabel(this)),
      labelMsg_(new QLabel(this)),
      frameMsg_(new QFrame(this)),
      lineMsg_(new QFrame(this)),
      messageArea_(new QScrollArea(this)) {
  setObjectName("MessBox");
  setModal(true);
  labelCaption_->setObjectName("Label_Caption");
  labelMsg_->setObjectName("Label_Msg");
  frameMsg_->setObjectName("Frame_Msg");
  lineMsg_->setObjectName("Line_Msg");

  // Plain text throughout: the markers ("< ? >") and callers' texts must never read as markup.
  setWindowTitle(WidgetText(MessBoxTitle(caption, style_.icon)));
  labelCaption_->setTextFormat(Qt::PlainText);
  labelCaption_->setText(WidgetText(MessBoxTitleLine(caption, style_.icon)));
  QFont bold = labelCaption_->font();
  bold.setBold(true);
  labelCaption_->setFont(bold);

  labelMsg_->setTextFormat(Qt::PlainText);
  labelMsg_->setText(WidgetText(MessageLines(text)));
  labelMsg_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  labelMsg_->setAutoFillBackground(false);

  // The message looks like a plain label; the area only shows scroll bars when it must. It takes
  // no focus, so Tab, Enter and Escape stay with the buttons (Page Up/Down scroll it).
  messageArea_->setObjectName("MessageArea");
  messageArea_->setFrameShape(QFrame::NoFrame);
  messageArea_->setFocusPolicy(Qt::NoFocus);
  messageArea_->setWidgetResizable(false);
  messageArea_->setWidget(labelMsg_);
  messageArea_->viewport()->setAutoFillBackground(false);

  frameMsg_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  lineMsg_->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  frameMsg_->lower();

  const ButtonCaptions captions = CaptionsForSet(style_.buttons);
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
  titleLine_ = labelCaption_->text();
  LayOut(AvailableArea(parent));
}

void MessBox::FitInto(const QRect& area) { LayOut(area); }

void MessBox::LayOut(const QRect& area) {
  const int buttonCount = VisibleButtonCount(style_.buttons);
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, messageArea_) + 2;
  const int maxClientWidth = area.isValid() ? area.width() - kFrameAllowanceWidth : kUnbounded;
  const int maxClientHeight = area.isValid() ? area.height() - kFrameAllowanceHeight : kUnbounded;
  const int maxTextWidth = std::max(Px(1115), maxClientWidth - Px(kSideMargins));

  // A line wider than the screen is broken at its blanks, leaving room for a scroll bar should
  // the broken text be too tall as well. A single word still too wide scrolls sideways.
  const QString message = labelMsg_->text();
  QSize text = TextSize(labelMsg_->font(), message);
  const bool wrap = text.width() > maxTextWidth;
  labelMsg_->setWordWrap(wrap);
  if (wrap) text = TextSize(labelMsg_->font(), message, maxTextWidth - scrollBar);
  text.setHeight(std::max(text.height(), Px(255)));
  const bool sideways = text.width() > maxTextWidth;

  QSize view(std::min(text.width(), maxTextWidth), text.height() + (sideways ? scrollBar : 0));
  const QSize title = TextSize(labelCaption_->font(), titleLine_);
  const int titleWidth = std::min(title.width(), maxClientWidth - Px(kSideMargins));
  const int excess =
      Px(LayOutMessBox(Twips(view.width()), Twips(view.height()), Twips(titleWidth), buttonCount).windowHeight) -
      maxClientHeight;
  const bool tall = excess > 0;
  if (tall) {
    view.setHeight(std::max(3 * labelMsg_->fontMetrics().lineSpacing(), view.height() - excess));
    view.setWidth(std::min(text.width() + scrollBar, maxTextWidth));
  }

  const MessBoxGeometry g = LayOutMessBox(Twips(view.width()), Twips(view.height()), Twips(titleWidth), buttonCount);
  setFixedSize(Px(g.windowWidth), Px(g.windowHeight));
  labelCaption_->setText(
      labelCaption_->fontMetrics().elidedText(titleLine_, Qt::ElideRight, Px(g.windowWidth) - Px(kSideMargins)));
  labelCaption_->setGeometry(Px(g.labelLeft), Px(g.captionTop), Px(g.windowWidth) - Px(kSideMargins), title.height());
  lineMsg_->setGeometry(0, Px(g.lineTop), Px(g.windowWidth), 2);
  frameMsg_->setGeometry(0, Px(g.frameTop), Px(g.windowWidth), Px(g.frameHeight));
  messageArea_->setGeometry(Px(g.labelLeft), Px(g.labelTop), Px(g.labelWidth), view.height());
  const int viewportWidth = Px(g.labelWidth) - (tall ? scrollBar : 0);
  labelMsg_->resize(std::max(text.width(), viewportWidth), text.height());
  for (size_t i = 0; i < 3; ++i)
    buttons_[i]->setGeometry(Px(g.buttonLeft[i]), Px(g.buttonTop), Px(g.buttonWidth), Px(g.buttonHeight));
}

BoxAnswer MessBox::Run() {
  exec();
  return answer_;
}

void MessBox::ButtonClicked(int index) {
  // A caption outside the table leaves the answer as it was; every set in use has known captions.
  if (auto code = AnswerFromCaption(buttons_[static_cast<size_t>(index)]->text().toStdString())) answer_ = *code;
  accept();
}

void MessBox::reject() {
  answer_ = CloseBoxAnswer(style_.buttons);
  QDialog::reject();
}

void MessBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QPushButton* initial = buttons_[static_cast<size_t>(InitialFocusIndex(style_))];
  initial->setDefault(true);
  initial->setFocus(Qt::ActiveWindowFocusReason);
}

void MessBox::WaitBeside(QWidget* reading) {
  if (reading == nullptr || reading == this) return;
  reading_ = reading;
  // Modal to the main window only: the window being read stays usable (it is no part of the
  // work the box holds up) and keeps the keyboard until it closes.
  setWindowModality(Qt::WindowModal);
  setAttribute(Qt::WA_ShowWithoutActivating);
  reading->installEventFilter(this);
}

bool MessBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == reading_ && (event->type() == QEvent::Hide || event->type() == QEvent::Close) && isVisible()) {
    reading_->removeEventFilter(this);
    reading_ = nullptr;
    raise();
    activateWindow();
  }
  return QDialog::eventFilter(watched, event);
}

void MessBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
    QScrollBar* bar = messageArea_->verticalScrollBar();
    bar->triggerAction(event->key() == Qt::Key_PageUp ? QAbstractSlider::SliderPageStepSub
                                                      : QAbstractSlider::SliderPageStepAdd);
    return;
  }
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    // Escape is a way out and never the focused button: on "Are you sure ?" it must not say Yes.
    if (const std::optional<BoxAnswer> wayOut = EscapeAnswer(style_.buttons, wayOutEndsWork_)) {
      for (size_t i = 0; i < buttons_.size(); ++i) {
        if (!buttons_[i]->isHidden() && AnswerFromCaption(buttons_[i]->text().toStdString()) == wayOut) {
          ButtonClicked(static_cast<int>(i));
          return;
        }
      }
    }
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace veridane
