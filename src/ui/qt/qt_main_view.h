#pragma once
// The verification logic's view of the main window, on the real Qt window: 8-bit texts become
// UTF-8 here, CR LF line ends become the text box's lines, and menus, menu items and the two
// buttons the logic drives are found by their names.
#include <QtGlobal>
#include <map>
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
  // Kept for every result row; shown after it while View > Show Uncertainty is checked. Only
  // the window shows them: the program's text, the log and the printout are left as they are.
  void ShowResultUncertainty(std::string_view expanded, std::string_view tur) override;
  void SetUncertaintyShown(bool shown);

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
  void AppendColumns(int line);
  qsizetype AppendHeaderAbove(int line);
  void WidenFor(int line);

  MainForm& form_;
  // The display's text as the logic gave it, its number of lines, and the U and TUR columns
  // by line.
  std::string text8_;
  int lines_ = 1;
  std::map<int, std::string> columns_;
  std::map<int, Verdict> verdicts_;  // the judged rows, by line
  // The lines that name the columns of the table below them, with where the columns start.
  std::map<int, qsizetype> headers_;
  bool uncertaintyShown_ = false;
};

// The line above a table's U and TUR columns: "U (k = 2)" over U, "TUR" over TUR.
std::string UncertaintyHeader();

// The display's text from the program's text: CR LF separates lines; a CR that is not part of
// a line end would show as a stray glyph, so it is left out.
std::string DisplayUtf8(std::string_view text8);

// The columns shown after a result row: "   U \xB1" "248.1 µV    TUR 32.3:1" (8-bit).
std::string UncertaintyColumns(std::string_view expanded, std::string_view tur);

}  // namespace veridane
