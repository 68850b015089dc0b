#pragma once
// The window program: the QApplication, the main window with its menus wired to the run the
// Launcher composes, and the event loop until the window closes. Returns the exit code.
#include "gpib/backends/backend_registry.h"
#include "shell/command_line.h"

namespace veridane {

int RunWindowProgram(int argc, char** argv, const BackendRegistry& registry, const CommandLine& options);

}  // namespace veridane
