#pragma once
// The About box of the program: what it does, its version and release month, and a short
// credit. Modal; the opener waits until it is closed.
#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace veridane {

// "Version: 1.1,   Date: Feb 2025".
std::string AboutVersionDate(const std::string& versionString);
// The description, every line ended by LF, with "&&" where the box shows one "&".
std::string AboutDescription();

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit frmAbout(QWidget* parent = nullptr);

  QLabel* LabelVersionDate() const { return labelVersionDate_; }
  QLabel* LabelDescription() const { return labelDescription_; }
  QLabel* LabelDisclaimer() const { return labelDisclaimer_; }
  QPushButton* CommandClose() const { return commandClose_; }

 private:
  QLabel* labelVersionDate_;
  QLabel* labelDescription_;
  QLabel* labelDisclaimer_;
  QPushButton* commandClose_;
};

// Opens the About box modally and returns when it is closed.
void ShowAbout(QWidget* parent);

}  // namespace veridane
