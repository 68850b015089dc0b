#pragma once
// The calibration record in the window: the reference-standards box at start-up (and the
// choice among entries of one model) and File > Certificate...
#include <functional>
#include <string>

#include "platform/file_dialogs.h"
#include "platform/settings.h"
#include "shell/launcher.h"

class QWidget;

namespace veridane {

// After start-up found the instruments; `standardsFile` is --standards (empty: the usual places).
// False when the technician chose Cancel: the program ends.
bool CheckStandardsAtStartup(QWidget* parent, Launcher& launcher, Settings& settings, const std::string& standardsFile);

std::function<void()> CertificateMenuCommand(Launcher& launcher, Settings& settings, FileDialogs& dialogs);

}  // namespace veridane
