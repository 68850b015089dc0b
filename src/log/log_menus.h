#pragma once
// Which File and View menu commands the log state allows. One rule for every place that
// changes the state (create, append, close, a log lost to a write error), so the menus never
// disagree with the log.
#include "pv/frame/main_view.h"

namespace veridane {

struct LogMenuState {
  bool createLogFile = false;
  bool appendLogFile = false;
  bool closeLogFile = false;
  bool clearTests = false;  // ClearTests and ClearTests2
  bool printStart = false;
};

// With a log open only Close is offered and the transcript cannot be cleared; without one a
// log can be created, appended to when the model's log folder exists, and the display
// cleared or printed once it holds text.
LogMenuState LogMenus(bool logOpen, bool logFolderExists, bool displayHasText);

void ApplyLogMenus(MainView& view, const LogMenuState& state);

}  // namespace veridane
