#pragma once
// Start-up and exit of the main window: the load handler (before the window shows), the
// activate handler (once it is on screen), the unload handler, and the few main-window
// commands that belong to the shell (splash, module versions).
#include <cstdint>
#include <string>
#include <string_view>

#include "shell/program.h"
#include "shell/shell_view.h"

namespace veridane {

// The version texts the caller builds from its version numbers.
struct VersionTexts {
  std::string mainTitle;          // "Veridane, v1.1 - Feb 2025 / QZ": the window caption
  std::string moduleVersionText;  // "2025-02-21 - v1.1"
  std::string parlexVersion = "2025-02-17 - v2.1";
  std::string faultbookVersion = "2025-02-14 - v1.3";
};

enum class StartupPhase {
  Created,    // nothing run yet
  Loading,    // load handler ran, menus disabled
  Activated,  // activate handler running
  Ready,      // menus enabled
  Ended,      // the unload handler ran (or the About box path ended the program)
};

class Startup {
 public:
  Startup(Program& program, ShellView& shellView, VersionTexts versions);

  // Load handler. False when the program is to end now: the command line asked for the About
  // box, which has been shown. Fatal bus, scope or model problems end the program through the
  // operator (ProgramEnded).
  bool Load(bool aboutRequested);

  // Activate handler; only the first call does anything. False when the technician chose to
  // end the program at the Auto-mode question (the unload handler has run then).
  bool Activate();

  // Orderly shutdown (File > Exit, closing the window). Runs once; the caller then ends.
  void Unload();

  // The splash window for the given seconds; nothing below 1.
  void Intro(int16_t seconds);
  // View > Show Module Versions.
  void ShowVersions();

  StartupPhase Phase() const { return phase_; }

  // The texts of the start-up boxes.
  static std::string AutoModeQuestion(std::string_view sgName);
  static std::string SetupText();
  std::string ModuleVersionsText() const;

 private:
  void SetMenusEnabled(bool enabled);
  void CreateDataFolder();
  void FindScope();

  Program& program_;
  ShellView& shellView_;
  VersionTexts versions_;
  StartupPhase phase_ = StartupPhase::Created;
  bool activated_ = false;
  bool unloaded_ = false;
};

}  // namespace veridane
