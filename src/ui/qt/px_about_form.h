#pragma once
// pxAboutForm: Parlex's own About box. Parlex always runs embedded here, so the box never
// checks for updates; mail goes through the main program's About box.
#include <QDialog>

class QLabel;
class QPushButton;

namespace veridane {

class pxAboutForm : public QDialog {
  Q_OBJECT

 public:
  explicit pxAboutForm(QWidget* parent = nullptr);

  QLabel* LabelAbout() const { return labelAbout_; }
  QLabel* LabelEMail() const { return labelEMail_; }
  QPushButton* CommandCheckUpdate() const { return checkUpdate_; }
  QPushButton* CommandOK() const { return ok_; }

 signals:
  // The e-mail label was clicked (the opener shows where to write instead).
  void EMailClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* labelAbout_;
  QLabel* labelEMail_;
  QPushButton* checkUpdate_;
  QPushButton* ok_;
};

}  // namespace veridane
