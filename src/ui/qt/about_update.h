#pragma once
// The program About box's update check and mail label, for the box to take on: the button
// starts the check and stays disabled until its message has been answered, the window staying
// live meanwhile; the label writes to the maintainer through the desktop's mail program.
#include <QObject>
#include <chrono>
#include <functional>
#include <string>

#include "update/update_check.h"

class QPushButton;
class QLabel;

namespace veridane {

class Operator;
class Settings;
class ClickLabel;

struct AboutUpdateSeams {
  Operator& op;
  const Settings& settings;
  std::string cacheFolder;  // the versions file is kept there
  // Opens a web page or a mailto: link; failures are ignored.
  std::function<void(const std::string& url)> openUrl;
  std::chrono::milliseconds timeout{20000};
};

// Opens the link with the desktop (browser, mail program); a failure is ignored.
void OpenWithDesktop(const std::string& url);

// "Check for &Update", named Command_CheckUpdate_en.
QPushButton* MakeCheckUpdateButton(QWidget* parent);
// The maintainer's address, named lblEmail.
ClickLabel* MakeEmailLabel(QWidget* parent);

class AboutUpdateCheck : public QObject {
  Q_OBJECT

 public:
  AboutUpdateCheck(QPushButton& button, ClickLabel& email, const AboutUpdateSeams& seams,
                   const std::string& applicationTitle, const std::string& versionString, QObject* parent);

  UpdateCheck& Check() { return check_; }

 private:
  UpdateCheck check_;
};

}  // namespace veridane
