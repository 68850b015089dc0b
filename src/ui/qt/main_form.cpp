#include "ui/qt/main_form.h"

#include <QAction>
#include <QEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>

#include "ui/qt/main_menu.h"
#include "ui/qt/twips.h"
#include "shell/version.h"
#include "ui/qt/widget_text.h"

namespace veridane {

namespace {

// Geometry in twips, at the window's smallest size. The display either fills the test frame
// (status list covered) or leaves its top 1680 twips to the status list. A larger window gives
// all its extra room to the test frame, so longer tables show; the row below follows the frame.
constexpr int kFrameLeft = 120, kFrameTop = 120, kFrameWidth = 9840, kFrameHeight = 7680;
constexpr int kStatusHeight = 1680;
constexpr int kClientWidth = kFrameLeft * 2 + kFrameWidth;
constexpr int kBottomTop = kFrameTop + kFrameHeight + 135;
constexpr int kClientHeight = kBottomTop + 840;
constexpr int kLineHeight = 255;
constexpr int kFrameHeightGivenUp = 3600;  // the frame keeps the status list and a few rows
constexpr int kButtonWidth = 1560, kButtonHeight = 375;

QFont FixedPitch() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setStyleHint(QFont::Monospace);
  return font;
}

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, int left, int top) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(Px(left), Px(top), Px(kButtonWidth), Px(kButtonHeight));
  return button;
}

}  // namespace

MainForm::MainForm(QWidget* parent) : QMainWindow(parent) {
  setObjectName("MainForm");
  SetCaption(MainTitle());
  BuildMainMenu(*menuBar());
  BuildControls();

  connect(Item("ShowTestStatus"), &QAction::triggered, this, [this] { ToggleTestStatus(); });
  connect(hideStatus_, &QPushButton::clicked, this, [this] { ToggleTestStatus(); });
  connect(Item("FExit"), &QAction::triggered, this, &QWidget::close);
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == centralWidget() && event->type() == QEvent::Resize) LayOutControls();
  return QMainWindow::eventFilter(watched, event);
}

void MainForm::LayOutControls() {
  const QSize client = centralWidget()->size();
  const int dx = std::max(0, client.width() - Px(kClientWidth));
  const int dy = std::max(-Px(kFrameHeightGivenUp), client.height() - Px(kClientHeight));
  frameSize_ = QSize(Px(kFrameWidth) + dx, Px(kFrameHeight) + dy);
  testFrame_->setGeometry(Px(kFrameLeft), Px(kFrameTop), frameSize_.width(), frameSize_.height());
  hideStatus_->move(frameSize_.width() - Px(kButtonWidth), Px(1185));
  PlaceDisplay();

  const int bottom = Px(kBottomTop) + dy;
  labels_[1]->setGeometry(Px(kFrameLeft), bottom, Px(6000) + dx, labels_[1]->height());
  labels_[7]->move(Px(kFrameLeft), bottom + Px(360));
  labels_[8]->setGeometry(Px(kFrameLeft + 960), bottom + Px(360), Px(5040) + dx, labels_[8]->height());
  clearTests2_->move(Px(6720) + dx, bottom);
  exitTest_->move(Px(kFrameLeft + kFrameWidth - kButtonWidth) + dx, bottom);
}

void MainForm::PlaceDisplay() {
  if (statusShown_) {
    display_->setGeometry(0, Px(kStatusHeight), frameSize_.width(), frameSize_.height() - Px(kStatusHeight));
  } else {
    display_->setGeometry(0, 0, frameSize_.width(), frameSize_.height());
    display_->raise();
  }
}

QLabel* MainForm::AddLabel(QWidget* parent, const char* name, const char* text, int left, int top, int width) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setGeometry(Px(left), Px(top), Px(width), Px(kLineHeight) + 2);
  return label;
}

void MainForm::BuildControls() {
  auto* central = new QWidget(this);
  central->setObjectName("MainClient");
  central->setMinimumSize(Px(kClientWidth), Px(kClientHeight));
  setCentralWidget(central);
  frameSize_ = QSize(Px(kFrameWidth), Px(kFrameHeight));

  testFrame_ = new QWidget(central);
  testFrame_->setObjectName("TestFrame");
  testFrame_->setGeometry(Px(kFrameLeft), Px(kFrameTop), Px(kFrameWidth), Px(kFrameHeight));

  // The status area, in the top part of the test frame: list, counters, hide button.
  statusList_ = new QListWidget(testFrame_);
  statusList_->setObjectName("StatusList");
  statusList_->setFont(FixedPitch());
  statusList_->setGeometry(0, 0, Px(5760), Px(kStatusHeight - 120));
  labels_[3] = AddLabel(testFrame_, "Label3", "Test Status: ", 6000, 0, 1800);
  labels_[4] = AddLabel(testFrame_, "Label4", "Pass:", 6000, 300, 900);
  labels_[5] = AddLabel(testFrame_, "Label5", "Fail:", 6000, 600, 900);
  labels_[6] = AddLabel(testFrame_, "Label6", "N/A:", 6000, 900, 900);
  for (int i = 0; i < 3; ++i) {
    counts_[static_cast<size_t>(i)] = AddLabel(testFrame_, "Label2", "0", 6960, 300 + 300 * i, 900);
    counts_[static_cast<size_t>(i)]->setProperty("index", i);
  }
  hideStatus_ = AddButton(testFrame_, "HideStatus", "&Hide Status", kFrameWidth - kButtonWidth, 1185);

  display_ = new QPlainTextEdit(testFrame_);
  display_->setObjectName("Display");
  display_->setFont(FixedPitch());
  display_->setReadOnly(true);
  display_->setLineWrapMode(QPlainTextEdit::NoWrap);  // result tables are fixed-width columns
  display_->setGeometry(0, 0, Px(kFrameWidth), Px(kFrameHeight));
  display_->raise();

  labels_[1] = AddLabel(central, "Label1", "", kFrameLeft, kBottomTop, 6000);
  labels_[7] = AddLabel(central, "Label7", "Log File:", kFrameLeft, kBottomTop + 360, 900);
  labels_[8] = AddLabel(central, "Label8", "N/A", kFrameLeft + 960, kBottomTop + 360, 5040);
  clearTests2_ = AddButton(central, "ClearTests2", "&Clear Display", 6720, kBottomTop);
  exitTest_ = AddButton(central, "ExitTestButton", "&Exit Test", kFrameLeft + kFrameWidth - kButtonWidth, kBottomTop);
  // Both follow the run state: nothing to clear yet, no test running.
  clearTests2_->setEnabled(false);
  exitTest_->setEnabled(false);

  progress_ = new QLabel(statusBar());
  progress_->setObjectName("Progress");
  progress_->setTextFormat(Qt::PlainText);
  statusBar()->addWidget(progress_, 1);
  statusBar()->setSizeGripEnabled(true);

  central->installEventFilter(this);
  LayOutControls();
  resize(minimumSizeHint().expandedTo(sizeHint()));
  // The window opens at that size; on a screen too short for it (a 1024x600 netbook) the test
  // frame may give up height, so that the row below it and the status bar stay in reach.
  central->setMinimumSize(Px(kClientWidth), Px(kClientHeight - kFrameHeightGivenUp));
}

QAction* MainForm::Item(std::string_view name) const {
  return findChild<QAction*>(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

QMenu* MainForm::Menu(std::string_view name) const {
  return findChild<QMenu*>(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

void MainForm::SetMenusEnabled(bool enabled) {
  for (const char* name : {"F", "P", "U", "V", "A"})
    if (QAction* item = Item(name)) item->setEnabled(enabled);
}

void MainForm::SetCaption(std::string_view text) {
  setWindowTitle(WidgetText(text));
}

QLabel* MainForm::Label(int number) const {
  if (number < 1 || number > 8 || number == 2) return nullptr;
  return labels_[static_cast<size_t>(number)];
}

void MainForm::ToggleTestStatus() {
  statusShown_ = !statusShown_;
  PlaceDisplay();
  Item("ShowTestStatus")->setChecked(statusShown_);
}

}  // namespace veridane
