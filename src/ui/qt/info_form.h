#pragma once
// The modeless info window: short progress texts ("Please Wait ...") shown while long scope
// operations run, centred on the main window. Its text is its only state.
#include <QPointer>
#include <QWidget>
#include <string>
#include <string_view>

class QLabel;

namespace veridane {

class InfoForm : public QWidget {
  Q_OBJECT

 public:
  // anchor: the window to centre on (the main window); without one the box centres on the screen.
  explicit InfoForm(QWidget* anchor = nullptr);

  void SetAnchor(QWidget* anchor) { anchor_ = anchor; }

  // Empty text closes the window, "+text" adds a line, other text replaces; then pending events
  // run once so that e.g. Exit Test is handled while the window shows.
  void ShowInfo(std::string_view text);

  // The current text, 8-bit; empty while the window is closed.
  const std::string& Text() const { return text_; }
  QLabel* InfoText() const { return label_; }

 private:
  void Place();

  QPointer<QWidget> anchor_;
  QLabel* label_;
  std::string text_;
};

}  // namespace veridane
