#pragma once
// The main window as the verification logic sees it. The Qt window, the headless console and
// the tests' recording view implement it; nothing here knows about widgets. Texts are the
// program's 8-bit text.
#include <string>
#include <string_view>
#include <vector>

#include "report/step_result.h"

namespace veridane {

// Names of the menus, menu items and buttons the logic enables, disables or checks.
namespace ui {
inline constexpr std::string_view kFileMenu = "F";
inline constexpr std::string_view kPvMenu = "P";
inline constexpr std::string_view kUtilitiesMenu = "U";
inline constexpr std::string_view kViewMenu = "V";
inline constexpr std::string_view kAboutMenu = "A";
inline constexpr std::string_view kPrintStart = "PrintStart";
inline constexpr std::string_view kClearTests = "ClearTests";
inline constexpr std::string_view kClearTests2 = "ClearTests2";
inline constexpr std::string_view kExitTestButton = "ExitTestButton";
inline constexpr std::string_view kDisableAuto = "DisableAuto";
inline constexpr std::string_view kCreateLogFile = "CreateLogFile";
inline constexpr std::string_view kAppendLogFile = "AppendLogFile";
inline constexpr std::string_view kCloseLogFile = "CloseLogFile";
}  // namespace ui

class MainView {
 public:
  virtual ~MainView() = default;

  virtual void SetCaption(std::string_view caption) = 0;

  // The result display mirrors the text kept by ResultDisplay (lines separated by CR LF):
  // either replaced as a whole or extended at its end.
  virtual void SetDisplayText(std::string_view text) = 0;
  virtual void AppendDisplayText(std::string_view text) = 0;
  // As AppendDisplayText, the text ending in the row of a judged step: a view that marks
  // verdicts (colours, a step counter) takes them from the result, never from the text.
  virtual void AppendResult(std::string_view text, const StepResult& result) = 0;
  // Focus on the display with the caret at the start of its last line, so the newest row shows.
  virtual void ShowDisplayEnd() = 0;
  // The expanded uncertainty and TUR of the result row appended last ("\xB1" "248.1 µV" or "not
  // stated"; "32.3:1" or "-"), for a window that can show them beside the row. Every view says
  // what it does with them: a view that wraps another passes them on.
  virtual void ShowResultUncertainty(std::string_view expanded, std::string_view tur) = 0;

  // The test status list, one line per test, and the PASS (0), FAIL (1) and N/A (2) counters;
  // alert shows a counter in red.
  virtual void SetStatusLines(const std::vector<std::string>& lines) = 0;
  virtual void SetCounter(int index, std::string_view text, bool alert) = 0;

  // Menus, menu items and buttons by their names (ui::k...).
  virtual void SetEnabled(std::string_view name, bool enabled) = 0;
  virtual void SetChecked(std::string_view name, bool checked) = 0;

  // The log file name label ("N/A" when no log is open).
  virtual void SetLogFileLabel(std::string_view name) = 0;
};

}  // namespace veridane
