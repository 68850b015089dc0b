#pragma once
// The splash window shown at start-up: the program's title line in a plain frame, up for a
// few seconds or until the technician clicks it.
#include <QDialog>
#include <string>
#include <string_view>

class QLabel;
class QTimer;

namespace veridane {

// The title line: the application title with every "&" doubled (so none is taken for an
// access key), ", v", version, " - ", date, " / QZ".
std::string IntroTitle(std::string_view applicationTitle, std::string_view version, std::string_view date);

class IntroForm : public QDialog {
  Q_OBJECT

 public:
  // Shows this program's title line; the window is 600 twips wider than its label.
  explicit IntroForm(QWidget* parent = nullptr);

  // How long the window stays up once shown (at least one second).
  void SetSeconds(int seconds);

  QLabel* Label1() const { return label1_; }
  QTimer* Timer1() const { return timer1_; }

  // However the window closes (timer, click, Escape), the timer stops with it.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CloseIntro();
  void Place();

  QLabel* label1_;
  QTimer* timer1_;
};

// Shows the splash window modally for the given number of seconds; below 1 it does nothing.
void Intro(QWidget* parent, int seconds);

}  // namespace veridane
