#pragma once
// Start-up and exit of the main window: the load handler (before the window shows), the
// activate handler (once it is on screen), the unload handler, and the few main-window
// commands that belong to the shell (splash, module versions).
#include <cstdint>
#include <string>
#include <string_view>

#include "shell/shell_view.h"

namespace veridane {

class EventLoop;
class GpibBus;
class InstrumentDetector;
class LogBook;
class MainView;
class Operator;
class Paths;
class ResultDisplay;
class ScopeControl;
class Settings;
class SignalGenerator;
class TestFrame;
struct InstrumentRoles;
struct RunState;
struct ScopeIdentity;

// The pieces of a run start-up drives one by one, as the program hands them over when it is
// built: the only code besides the program's own that reaches them all.
struct StartupParts {
  MainView& view;
  RunState& run;
  TestFrame& frame;
  GpibBus& bus;
  InstrumentDetector& detector;
  ScopeIdentity& scope;
  ScopeControl& scopeControl;
  const InstrumentRoles& roles;
  SignalGenerator& sg;
  const ResultDisplay& display;
  LogBook& log;
  Operator& op;
  EventLoop& loop;
  Settings& settings;
  const Paths& paths;  // the run's folders; a simulated run's one level further down
  bool simulated;
};

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
  Startup(StartupParts parts, ShellView& shellView, VersionTexts versions);

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

  StartupParts p_;
  ShellView& shellView_;
  VersionTexts versions_;
  StartupPhase phase_ = StartupPhase::Created;
  bool activated_ = false;
  bool unloaded_ = false;
};

}  // namespace veridane
