#pragma once
// The verification logic's view of the main window, on the real Qt window: 8-bit texts become
// UTF-8 here, CR LF line ends become the text box's lines, and menus, menu items and the two
// buttons the logic drives are found by their names.
#include <string>
#include <string_view>
#include <vector>

#include "pv/frame/main_view.h"

class QAction;
class QPushButton;

namespace veridane {

class MainForm;

class QtMainView : public MainView {
 public:
  explicit QtMainView(MainForm& form);

  void SetCaption(std::string_view caption) override;

  void SetDisplayText(std::string_view text) override;
  void AppendDisplayText(std::string_view text) override;
  void AppendResult(std::string_view text, const StepResult& result) override;
  void ShowDisplayEnd() override;

  void SetStatusLines(const std::vector<std::string>& lines) override;
  // index 0 PASS, 1 FAIL, 2 N/A; other indexes are ignored.
  void SetCounter(int index, std::string_view text, bool alert) override;

  // Menus (F, P, U, V, A), menu items by name, and the buttons ClearTests2 and ExitTestButton
  // (any other named button of the window as well). An unknown name changes nothing.
  void SetEnabled(std::string_view name, bool enabled) override;
  // ShowTestStatus also moves the display, so that the check mark and the layout agree.
  void SetChecked(std::string_view name, bool checked) override;

  void SetLogFileLabel(std::string_view name) override;

  MainForm& Form() { return form_; }

 private:
  QPushButton* Button(std::string_view name) const;

  MainForm& form_;
};

// The display's text from the program's text: CR LF separates lines; a CR that is not part of
// a line end would show as a stray glyph, so it is left out.
std::string DisplayUtf8(std::string_view text8);

}  // namespace veridane
