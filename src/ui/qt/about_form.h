#pragma once
// The About box of the program: what it does, its version and release month, a short credit,
// the maintainer's address and the check for a newer version. Modal; the opener waits until
// it is closed.
#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace veridane {

class AboutUpdateCheck;
class Settings;
class ClickLabel;
struct AboutUpdateSeams;

// "Version: 1.1,   Date: Feb 2025".
std::string AboutVersionDate(const std::string& versionString);
// The description, every line ended by LF, with "&&" where the box shows one "&".
std::string AboutDescription();

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  // Without update seams the check and the mail label are shown but do nothing.
  explicit frmAbout(QWidget* parent = nullptr, const AboutUpdateSeams* update = nullptr);

  QLabel* LabelVersionDate() const { return labelVersionDate_; }
  QLabel* LabelDescription() const { return labelDescription_; }
  QLabel* LabelDisclaimer() const { return labelDisclaimer_; }
  QPushButton* CommandClose() const { return commandClose_; }
  QPushButton* CommandCheckUpdate() const { return commandCheckUpdate_; }
  ClickLabel* LblEmail() const { return lblEmail_; }

 private:
  QLabel* labelVersionDate_;
  QLabel* labelDescription_;
  QLabel* labelDisclaimer_;
  QPushButton* commandClose_;
  QPushButton* commandCheckUpdate_;
  ClickLabel* lblEmail_;
  AboutUpdateCheck* updateCheck_ = nullptr;
};

// Opens the About box modally and returns when it is closed. The first form asks its own
// questions in message boxes over the About box and reads the user's settings.
void ShowAbout(QWidget* parent);
// With the program's own settings (where the update site is set).
void ShowAbout(QWidget* parent, const Settings& settings);
void ShowAbout(QWidget* parent, const AboutUpdateSeams& update);

}  // namespace veridane
