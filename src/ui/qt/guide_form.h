#pragma once
// The user guide (docs/user-guide.md with its screenshots) read inside the program: F1 or
// Help opens it beside the main window, so it can stay open while a test runs. No browser and
// no network are needed: the guide is built into the program.
#include <QDialog>
#include <QUrl>

class QTextBrowser;

namespace veridane {

// Where the guide is read from: the copy built into the program, else the source tree's
// (a test program or a build without the resource).
QUrl UserGuideUrl();

class GuideForm : public QDialog {
  Q_OBJECT

 public:
  explicit GuideForm(const QUrl& guide, QWidget* parent = nullptr);
  QTextBrowser* Browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

// Shows the one guide window of `owner` (made on the first call), raised and active. The guide
// is a window of its own, not a child of the owner's: a prompt the owner shows while the guide
// is read holds up the owner only, and the guide stays usable. It goes with its owner.
void ShowUserGuide(QWidget* owner);
// The guide window of `owner`; null before the first ShowUserGuide.
GuideForm* UserGuideOf(const QWidget* owner);

}  // namespace veridane
