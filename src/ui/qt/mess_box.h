#pragma once
// The program's own modal message box: a title line in capitals with the icon marker, the
// message in a frame, and up to three buttons right-aligned (Button(0) is the rightmost).
// The box never grows past the screen: a long line wraps and a tall message scrolls, so the
// buttons always stay in reach.
// Enter presses the focused button; Escape answers the box's way out (see EscapeAnswer), and
// does nothing in a box that has none, nor where that way out ends the program (the box says
// so) or the work under way (KeepWayOutFromEscape).
#include <QDialog>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/mess_box_style.h"

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;

namespace veridane {

class MessBox : public QDialog {
  Q_OBJECT

 public:
  // Texts are the program's 8-bit text.
  MessBox(std::string_view text, int16_t style, std::string_view caption, QWidget* parent = nullptr);

  // Shows the box modally and returns the button code.
  BoxAnswer Run();
  // The code of the last answer (the close-box answer until a button is pressed).
  BoxAnswer Answer() const { return answer_; }

  QLabel* LabelCaption() const { return labelCaption_; }
  QLabel* LabelMsg() const { return labelMsg_; }
  QFrame* FrameMsg() const { return frameMsg_; }
  QFrame* LineMsg() const { return lineMsg_; }
  QPushButton* Button(int index) const { return buttons_.at(static_cast<size_t>(index)); }
  // The view onto the message: it scrolls when the message does not fit the screen.
  QScrollArea* MessageArea() const { return messageArea_; }

  // Lays the box out again to fit inside `area` (pixels, frame included). The box fits the
  // available area of its screen from the start; this is for a screen that changed or a test.
  void FitInto(const QRect& area);

  // Cancel and No end a running test or sequence: Escape leaves the box open.
  void KeepWayOutFromEscape() { wayOutEndsWork_ = true; }

  // The box came up while the technician was reading another window (the user guide): it
  // waits beside it without taking the keyboard, so the keys meant for that window reach it,
  // and takes the keyboard when that window closes. Call before Run().
  void WaitBeside(QWidget* reading);

  // Closing through the window frame (or reject() by any other way) gives Cancel where the box
  // has a Cancel button, otherwise the code of Button(0).
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ButtonClicked(int index);
  void LayOut(const QRect& area);

  BoxStyle style_;
  bool wayOutEndsWork_;
  QPointer<QWidget> reading_;
  BoxAnswer answer_;
  QLabel* labelCaption_;
  QLabel* labelMsg_;
  QFrame* frameMsg_;
  QFrame* lineMsg_;
  QScrollArea* messageArea_;
  QString titleLine_;  // before any shortening to the screen
  std::array<QPushButton*, 3> buttons_{};
};

}  // namespace veridane
