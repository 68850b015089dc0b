#pragma once
// Faultbook's About box: a credit line only. The update check lives in the program's own About
// box, so the button is there but never shown.
#include <QDialog>

class QLabel;
class QPushButton;

namespace veridane {

class Operator;
class ClickLabel;

class errAboutForm : public QDialog {
  Q_OBJECT

 public:
  errAboutForm(Operator& op, QWidget* parent = nullptr);

  QLabel* LabelAbout() const { return labelAbout_; }
  ClickLabel* LabelEMail() const { return labelEMail_; }
  QPushButton* CommandCheckUpdate() const { return commandCheckUpdate_; }
  QPushButton* CommandOK() const { return commandOK_; }

 private:
  QLabel* labelAbout_;
  ClickLabel* labelEMail_;
  QPushButton* commandCheckUpdate_;
  QPushButton* commandOK_;
};

}  // namespace veridane
