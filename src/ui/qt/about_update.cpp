#include "ui/qt/about_update.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QUrl>

#include "ui/qt/click_label.h"
#include "update/update_site.h"

namespace veridane {

void OpenWithDesktop(const std::string& url) { QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); }

QPushButton* MakeCheckUpdateButton(QWidget* parent) {
  auto* button = new QPushButton("Check for &Update", parent);
  button->setObjectName("Command_CheckUpdate_en");
  button->setAutoDefault(false);
  return button;
}

ClickLabel* MakeEmailLabel(QWidget* parent) {
  auto* label = new ClickLabel(kMaintainerAddress, parent);
  label->setObjectName("lblEmail");
  label->setTextFormat(Qt::PlainText);
  QFont underlined = label->font();
  underlined.setUnderline(true);
  label->setFont(underlined);
  return label;
}

AboutUpdateCheck::AboutUpdateCheck(QPushButton& button, ClickLabel& email, const AboutUpdateSeams& seams,
                                   const std::string& applicationTitle, const std::string& versionString,
                                   QObject* parent)
    : QObject(parent),
      check_(seams.op, seams.settings,
             UpdateCheckOptions{applicationTitle, versionString, seams.cacheFolder, seams.timeout, seams.openUrl}, this) {
  QPushButton* target = &button;
  connect(&button, &QPushButton::clicked, this, [this, target] {
    target->setEnabled(false);
    check_.Start();
  });
  connect(&check_, &UpdateCheck::finished, this, [target] { target->setEnabled(true); });
  const std::function<void(const std::string&)> openUrl = seams.openUrl;
  const std::string mail = MaintainerMailUrl(applicationTitle);
  connect(&email, &ClickLabel::clicked, this, [openUrl, mail] {
    if (openUrl) openUrl(mail);
  });
}

}  // namespace veridane
