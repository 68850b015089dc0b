#include "shell/startup.h"

#include "platform/numbers.h"
#include "platform/text8.h"

namespace veridane {

namespace {

constexpr std::string_view kTopMenus[] = {ui::kFileMenu, ui::kPvMenu, ui::kUtilitiesMenu, ui::kViewMenu,
                                          ui::kAboutMenu};

// The scope search: each model silently first, in this order; a TDS 340A answers "TDS 340".
constexpr const char* kScopeIds[] = {"!TDS 310", "!TDS 320", "!TDS 340", "!TDS 350", "!TDS 360", "!TDS 380"};

}  // namespace

Startup::Startup(Program& program, ShellView& shellView, VersionTexts versions)
    : program_(program), shellView_(shellView), versions_(std::move(versions)) {}

void Startup::SetMenusEnabled(bool enabled) {
  for (std::string_view menu : kTopMenus) program_.view_.SetEnabled(menu, enabled);
}

bool Startup::Load(bool aboutRequested) {
  RunState& run = program_.run_;
  run.MainTitle = versions_.mainTitle;
  program_.view_.SetCaption(run.MainTitle);

  if (aboutRequested) {
    shellView_.ShowAbout();
    phase_ = StartupPhase::Ended;
    return false;
  }

  CreateDataFolder();
  SetMenusEnabled(false);
  phase_ = StartupPhase::Loading;

  program_.frame_.NameTests();
  program_.frame_.TestStatusUpdate();

  program_.bus_.DeviceTimeout = 12;
  program_.bus_.GpibInit(1);
  FindScope();
  program_.detector_.DetectAll();
  program_.scopeControl_.IdentifyScope();
  program_.scopeControl_.ReadFirmware();
  shellView_.SetLabel1(program_.scope_.ScopeModel + ", F/W: v" + program_.scope_.ScopeFirmware);
  return true;
}

void Startup::CreateDataFolder() {
  // Only the last level is made, as on the bench PCs where the parent always exists; a
  // simulated run keeps its own folder one level further down.
  Paths real = program_.paths_;
  real.SetSimulated(false);
  std::string folder = real.DataFolder();
  bool made = MakeFolder(folder);
  if (made && program_.simulated_) {
    folder = program_.paths_.DataFolder();
    made = MakeFolder(folder);
  }
  if (!made) {
    // Nothing would stop the run here, but every log written later would be lost without a
    // word; say so now, while the technician can still fix it.
    program_.op_.ShowMessBox("The data folder\n" + Text8FromUtf8(folder) +
                                "\ncannot be created. Log files cannot be written in this run.",
                            kOkOnly + kExclamation, "Data Folder");
  }
}

void Startup::FindScope() {
  ScopeIdentity& scope = program_.scope_;
  for (const char* id : kScopeIds) {
    scope.ScopeDevice = program_.bus_.FindDevice("ID?", id);
    if (scope.ScopeDevice != 0) return;
  }
  // Not silent: a failure reports every answer received and ends the program.
  scope.ScopeDevice = program_.bus_.FindDevice("ID?", "TDS 3x0");
  if (scope.ScopeDevice == 0) program_.op_.EndProgram();
}

std::string Startup::AutoModeQuestion(std::string_view sgName) {
  return "Do you wish to continue in Auto mode ?\n" + std::string(sgName) +
         " will be used for SG.\n\nCancel terminates this application.";
}

std::string Startup::SetupText() {
  return "Connect the System Channel cables (1 & 2) to CH 1 and CH 2.\n"
         "Connect the System EXT TRIG (cable #2) to EXT TRIG.\n"
         "Don't use any terminations.";
}

bool Startup::Activate() {
  if (activated_) return phase_ != StartupPhase::Ended;
  program_.loop_.ProcessEvents();
  activated_ = true;
  phase_ = StartupPhase::Activated;

  const std::string skip = program_.settings_.Get("Veridane", "Settings", "SkipSplash", "0");
  if (NumericValue(skip) == 0) Intro(3);

  RunState& run = program_.run_;
  if (program_.roles_.AllRolesFilled()) {
    const int16_t answer = program_.op_.ShowMessBox(AutoModeQuestion(program_.roles_.SGName),
                                                   kYesNoCancel + kQuestion, "Auto mode possible");
    if (answer == kYes) {
      run.AutoMode = Automation::Full;
      if (!program_.sg_.LoadCompData()) run.AutoMode = Automation::WithoutCompensation;
      run.MainTitle += "  (Auto)";
      program_.view_.SetCaption(run.MainTitle);
      program_.view_.SetEnabled(ui::kDisableAuto, true);
    } else if (answer == kCancel) {
      Unload();
      return false;
    }
  }

  program_.frame_.ResetAll();
  program_.scopeControl_.InitScope();

  if (IsAuto(run.AutoMode)) program_.op_.ShowMessBox(SetupText(), kOkOnly + kInformation, "Setup");

  SetMenusEnabled(true);
  // The log commands start from the same rule every log command ends with, now that the model
  // (and with it the log folder) is known.
  ApplyLogMenus(program_.view_, program_.log_.Menus());
  phase_ = StartupPhase::Ready;
  return true;
}

void Startup::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  if (program_.display_.LogOpen()) program_.CloseFiles();
  program_.op_.ShowInfo("Please wait while the program shuts down.");
  // Before the scope was found there is nothing on the bus to put back to its idle state.
  if (program_.scope_.ScopeDevice != 0) {
    program_.frame_.ResetAll();
    program_.scopeControl_.ScopeReset();
  }
  phase_ = StartupPhase::Ended;
}

void Startup::Intro(int16_t seconds) {
  if (seconds < 1) return;
  shellView_.Intro(seconds);
}

std::string Startup::ModuleVersionsText() const {
  return "          Main Program: " + versions_.moduleVersionText + "\n" +
         "Parlex: " + versions_.parlexVersion + "\n" +
         "                  Error Log: " + versions_.faultbookVersion + "\n" +
         "           TDSRoutines: 2025-02-21 - v1.1\n"
         "           TestRoutines: 2025-02-14 - v1.15\n"
         "                     Drivers: 2025-02-14 - v1.35\n"
         "               VBIB32QZ: 2025-02-14 - v1.6\n"
         "                         Print: 2003-01-31 - v1.1\n";
}

void Startup::ShowVersions() {
  program_.op_.ShowMessBox(ModuleVersionsText(), kOkOnly, "Current Module versions");
}

}  // namespace veridane
