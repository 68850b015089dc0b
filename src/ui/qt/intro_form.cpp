#include "ui/qt/intro_form.h"

#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "ui/qt/twips.h"
#include "shell/version.h"
#include "ui/qt/widget_text.h"

namespace veridane {

namespace {

constexpr int kExtraWidth = 600;  // twips beyond the label
constexpr int kLabelLeft = kExtraWidth / 2;
constexpr int kLabelTop = 720;
constexpr int kExtraHeight = 2 * kLabelTop;
constexpr int kLongestSeconds = INT_MAX / 1000;

}  // namespace

std::string IntroTitle(std::string_view applicationTitle, std::string_view version, std::string_view date) {
  std::string title;
  for (char c : applicationTitle) {
    title += c;
    if (c == '&') title += '&';
  }
  title += ", v";
  title += version;
  title += " - ";
  title += date;
  title += " / QZ";
  return title;
}

IntroForm::IntroForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), label1_(nullptr), timer1_(new QTimer(this)) {
  setObjectName("IntroForm");
  setModal(true);

  auto* frame = new QFrame(this);
  frame->setObjectName("IntroFrame");
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame->setLineWidth(2);

  label1_ = new QLabel(frame);
  label1_->setObjectName("Label1");
  label1_->setTextFormat(Qt::PlainText);
  // A label shows "&&" as one "&" only when it handles access keys; all of them are doubled, so
  // this gives no access key, just the title as written.
  label1_->setBuddy(this);
  QFont font = label1_->font();
  font.setPointSizeF(font.pointSizeF() * 1.6);
  font.setBold(true);
  label1_->setFont(font);
  label1_->setText(WidgetText(IntroTitle(kApplicationTitle, VersionString(), kVersionDate)));
  label1_->adjustSize();
  label1_->move(Px(kLabelLeft), Px(kLabelTop));
  label1_->installEventFilter(this);

  setFixedSize(label1_->width() + Px(kExtraWidth), label1_->height() + Px(kExtraHeight));
  frame->setGeometry(rect());

  timer1_->setObjectName("Timer1");
  timer1_->setSingleShot(true);
  connect(timer1_, &QTimer::timeout, this, &IntroForm::CloseIntro);
  SetSeconds(1);
}

void IntroForm::SetSeconds(int seconds) {
  timer1_->setInterval(std::clamp(seconds, 1, kLongestSeconds) * 1000);
}

void IntroForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Place();
  timer1_->start();
}

void IntroForm::Place() {
  QRect around;
  if (parentWidget() && parentWidget()->isVisible()) {
    around = parentWidget()->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    around = screen->availableGeometry();
  }
  if (around.isValid())
    move(around.left() + (around.width() - width()) / 2, around.top() + (around.height() - height()) / 2);
}

void IntroForm::mousePressEvent(QMouseEvent* event) {
  event->accept();
  CloseIntro();
}

bool IntroForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == label1_ && event->type() == QEvent::MouseButtonPress) {
    CloseIntro();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void IntroForm::CloseIntro() { accept(); }

void IntroForm::done(int result) {
  timer1_->stop();
  QDialog::done(result);
}

void Intro(QWidget* parent, int seconds) {
  if (seconds < 1) return;
  IntroForm intro(parent);
  intro.SetSeconds(seconds);
  intro.exec();
}

}  // namespace veridane
