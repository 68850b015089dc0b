#pragma once
// SyntaxCheckForm: the syntax-check method for the selected address, chosen with three option
// buttons and taken over with "&Close".
#include <QDialog>
#include <array>
#include <optional>
#include <string_view>

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace veridane {

class SyntaxCheckForm : public QDialog {
  Q_OBJECT

 public:
  // method: -1 serial poll, 0 none, 1 status registers.
  SyntaxCheckForm(std::string_view frameCaption, int method, QWidget* parent = nullptr);

  // Shows the window modally: the method chosen with Close, or nothing when closed otherwise.
  std::optional<int> Run();

  QRadioButton* SyntaxCheckMethod(int index) const { return options_.at(static_cast<size_t>(index)); }
  QPushButton* CloseButton() const { return close_; }
  QGroupBox* Frame() const { return frame_; }

 private:
  QGroupBox* frame_;
  std::array<QRadioButton*, 3> options_{};
  QPushButton* close_;
  std::optional<int> chosen_;
};

}  // namespace veridane
