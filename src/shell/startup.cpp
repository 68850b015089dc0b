#include "shell/startup.h"

#include "gpib/bus/gpib_bus.h"
#include "instruments/instrument_roles.h"
#include "instruments/signal_generator.h"
#include "log/log_book.h"
#include "platform/event_loop.h"
#include "platform/numbers.h"
#include "platform/operator.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "platform/text8.h"
#include "pv/frame/main_view.h"
#include "pv/frame/result_display.h"
#include "pv/frame/run_state.h"
#include "pv/frame/test_frame.h"
#include "scope/scope_identity.h"

namespace veridane {

namespace {

constexpr std::string_view kTopMenus[] = {ui::kFileMenu, ui::kPvMenu, ui::kUtilitiesMenu, ui::kViewMenu,
                                          ui::kAboutMenu};

// The scope search: each model silently first, in this order; a TDS 340A answers "TDS 340".
constexpr const char* kScopeIds[] = {"!TDS 310", "!TDS 320", "!TDS 340", "!TDS 350", "!TDS 360", "!TDS 380"};

}  // namespace

Startup::Startup(StartupParts parts, ShellView& shellView, VersionTexts versions)
    : p_(parts), shellView_(shellView), versions_(std::move(versions)) {}

void Startup::SetMenusEnabled(bool enabled) {
  for (std::string_view menu : kTopMenus) p_.view.SetEnabled(menu, enabled);
}

bool Startup::Load(bool aboutRequested) {
  RunState& run = p_.run;
  run.MainTitle = versions_.mainTitle;
  p_.view.SetCaption(run.MainTitle);

  if (aboutRequested) {
    shellView_.ShowAbout();
    phase_ = StartupPhase::Ended;
    return false;
  }

  CreateDataFolder();
  SetMenusEnabled(false);
  phase_ = StartupPhase::Loading;

  p_.frame.NameTests();
  p_.frame.TestStatusUpdate();

  p_.bus.DeviceTimeout = DriverTimeout::ThreeSeconds;
  p_.bus.GpibInit(1);
  FindScope();
  p_.detector.DetectAll();
  p_.scopeControl.IdentifyScope();
  p_.scopeControl.ReadFirmware();
  shellView_.SetLabel1(p_.scope.ScopeModel + ", F/W: v" + p_.scope.ScopeFirmware);
  return true;
}

void Startup::CreateDataFolder() {
  // Only the last level is made, as on the bench PCs where the parent always exists; a
  // simulated run keeps its own folder one level further down.
  Paths real = p_.paths;
  real.SetSimulated(false);
  std::string folder = real.DataFolder();
  bool made = MakeFolder(folder);
  if (made && p_.simulated) {
    folder = p_.paths.DataFolder();
    made = MakeFolder(folder);
  }
  if (!made) {
    // Nothing would stop the run here, but every log written later would be lost without a
    // word; say so now, while the technician can still fix it.
    p_.op.ShowMessBox("The data folder\n" + Text8FromUtf8(folder) +
                                "\ncannot be created. Log files cannot be written in this run.",
                            kOkOnly + kExclamation, "Data Folder");
  }
}

void Startup::FindScope() {
  ScopeIdentity& scope = p_.scope;
  for (const char* id : kScopeIds) {
    scope.ScopeDevice = p_.bus.FindDevice("ID?", id);
    if (scope.ScopeDevice != 0) return;
  }
  // Not silent: a failure reports every answer received and ends the program.
  scope.ScopeDevice = p_.bus.FindDevice("ID?", "TDS 3x0");
  if (scope.ScopeDevice == 0) p_.op.EndProgram();
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
  p_.loop.ProcessEvents();
  activated_ = true;
  phase_ = StartupPhase::Activated;

  const std::string skip = p_.settings.Get("Veridane", "Settings", "SkipSplash", "0");
  if (NumericValue(skip) == 0) Intro(3);

  RunState& run = p_.run;
  if (p_.roles.AllRolesFilled()) {
    const BoxAnswer answer = p_.op.ShowMessBox(AutoModeQuestion(p_.roles.SGName),
                                                   kYesNoCancel + kQuestion, "Auto mode possible");
    if (answer == kYes) {
      run.AutoMode = Automation::Full;
      if (!p_.sg.LoadCompData()) run.AutoMode = Automation::WithoutCompensation;
      run.MainTitle += "  (Auto)";
      p_.view.SetCaption(run.MainTitle);
      p_.view.SetEnabled(ui::kDisableAuto, true);
    } else if (answer == kCancel) {
      Unload();
      return false;
    }
  }

  p_.frame.ResetAll();
  p_.scopeControl.InitScope();

  if (IsAuto(run.AutoMode)) p_.op.ShowMessBox(SetupText(), kOkOnly + kInformation, "Setup");

  SetMenusEnabled(true);
  // The log commands start from the same rule every log command ends with, now that the model
  // (and with it the log folder) is known.
  ApplyLogMenus(p_.view, p_.log.Menus());
  phase_ = StartupPhase::Ready;
  return true;
}

void Startup::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  if (p_.display.LogOpen()) p_.log.CloseFiles();
  p_.op.ShowInfo("Please wait while the program shuts down.");
  // Before the scope was found there is nothing on the bus to put back to its idle state.
  if (p_.scope.ScopeDevice != 0) {
    p_.frame.ResetAll();
    p_.scopeControl.ScopeReset();
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
  p_.op.ShowMessBox(ModuleVersionsText(), kOkOnly, "Current Module versions");
}

}  // namespace veridane
