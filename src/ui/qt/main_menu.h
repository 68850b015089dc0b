#pragma once
// The main window's menu tree: every menu and item carries its QObject name ("F", "LogF",
// "CreateLogFile", ...) and its caption with the access key, in its initial state.
class QMenuBar;

namespace veridane {

void BuildMainMenu(QMenuBar& bar);

}  // namespace veridane
