#pragma once
// The program's own modal message box: a title line in capitals with the icon marker, the
// message in a frame, and up to three buttons right-aligned (Button(0) is the rightmost).
// Escape presses the focused button, as Enter does, rather than meaning Cancel.
#include <QDialog>
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/mess_box_style.h"

class QFrame;
class QLabel;
class QPushButton;

namespace veridane {

class MessBox : public QDialog {
  Q_OBJECT

 public:
  // Texts are the program's 8-bit text.
  MessBox(std::string_view text, int16_t style, std::string_view caption, QWidget* parent = nullptr);

  // Shows the box modally and returns the button code.
  int16_t Run();
  // The code of the last answer (the close-box answer until a button is pressed).
  int16_t Answer() const { return answer_; }

  QLabel* LabelCaption() const { return labelCaption_; }
  QLabel* LabelMsg() const { return labelMsg_; }
  QFrame* FrameMsg() const { return frameMsg_; }
  QFrame* LineMsg() const { return lineMsg_; }
  QPushButton* Button(int index) const { return buttons_.at(static_cast<size_t>(index)); }

  // Closing through the window frame (or reject() by any other way) gives Cancel where the box
  // has a Cancel button, otherwise the code of Button(0).
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ButtonClicked(int index);
  void LayOut();

  MessBoxStyle style_;
  int16_t answer_;
  QLabel* labelCaption_;
  QLabel* labelMsg_;
  QFrame* frameMsg_;
  QFrame* lineMsg_;
  std::array<QPushButton*, 3> buttons_{};
};

}  // namespace veridane
