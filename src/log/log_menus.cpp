#include "log/log_menus.h"

namespace veridane {

LogMenuState LogMenus(bool logOpen, bool logFolderExists, bool displayHasText) {
  LogMenuState state;
  state.createLogFile = !logOpen;
  state.appendLogFile = !logOpen && logFolderExists;
  state.closeLogFile = logOpen;
  state.clearTests = !logOpen && displayHasText;
  state.printStart = displayHasText;
  return state;
}

void ApplyLogMenus(MainView& view, const LogMenuState& state) {
  view.SetEnabled(ui::kCreateLogFile, state.createLogFile);
  view.SetEnabled(ui::kAppendLogFile, state.appendLogFile);
  view.SetEnabled(ui::kCloseLogFile, state.closeLogFile);
  view.SetEnabled(ui::kClearTests, state.clearTests);
  view.SetEnabled(ui::kClearTests2, state.clearTests);
  view.SetEnabled(ui::kPrintStart, state.printStart);
}

}  // namespace veridane
