#pragma once
// The main window: menus, the result display, the test status list and its counters, the log
// file name, the Exit Test button and a status bar with the running test's progress. The
// designed layout is the smallest size; the display grows with the window. The shell owns the controls and their layout; start-up,
// the tests and the log commands reach them through the accessors and connect to the menu
// items by name.
#include <QMainWindow>
#include <QSize>
#include <array>
#include <string_view>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace veridane {

class MainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainForm(QWidget* parent = nullptr);

  // Menu items and menus by name ("F", "LogF", "CreateLogFile", "A", ...); nullptr if unknown.
  // For a menu, Item gives the action that opens it (enable/disable it there).
  QAction* Item(std::string_view name) const;
  QMenu* Menu(std::string_view name) const;
  // The five top menus F, P, U, V and A together.
  void SetMenusEnabled(bool enabled);

  // The window caption, from the program's 8-bit text.
  void SetCaption(std::string_view text);

  QPlainTextEdit* Display() const { return display_; }
  QListWidget* StatusList() const { return statusList_; }
  QWidget* TestFrame() const { return testFrame_; }
  QPushButton* ClearTests2() const { return clearTests2_; }
  QPushButton* HideStatus() const { return hideStatus_; }
  QPushButton* ExitTestButton() const { return exitTest_; }
  // Label1 and Label3 to Label8 by number; nullptr for any other number.
  QLabel* Label(int number) const;
  // The Pass, Fail and N/A counts (index 0, 1, 2).
  QLabel* Label2(int index) const { return counts_.at(static_cast<size_t>(index)); }

  // The ShowTestStatus menu item and the HideStatus button: shows or covers the status list.
  void ToggleTestStatus();
  bool TestStatusShown() const { return statusShown_; }

  // The status bar's text: the running test's progress.
  QLabel* Progress() const { return progress_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  // Places every control for the client area's present size (at least the designed one).
  void LayOutControls();
  void PlaceDisplay();
  QLabel* AddLabel(QWidget* parent, const char* name, const char* text, int left, int top, int width);

  QWidget* testFrame_ = nullptr;
  QPlainTextEdit* display_ = nullptr;
  QListWidget* statusList_ = nullptr;
  QPushButton* clearTests2_ = nullptr;
  QPushButton* hideStatus_ = nullptr;
  QPushButton* exitTest_ = nullptr;
  std::array<QLabel*, 9> labels_{};  // index = label number; [0] and [2] unused
  std::array<QLabel*, 3> counts_{};
  QLabel* progress_ = nullptr;
  QSize frameSize_;
  bool statusShown_ = false;
};

}  // namespace veridane
