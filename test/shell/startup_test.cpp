// Start-up and exit on simulated benches: what the technician is asked, in which order the
// instruments and the scope are set up, and what the window shows at each stage.
#include <gtest/gtest.h>

#include <filesystem>

#include "pv/catalogue.h"
#include "sim/bench/shipped_benches.h"
#include "test/support/shell_run.h"
#include "test/support/recording_gpib.h"
#include "test/support/scripted_operator.h"

namespace veridane::testing {
namespace {

namespace fs = std::filesystem;

const std::string kTitle = "Veridane, v1.0 - Feb 2025 / QZ";
const std::string kMark = " [Simulated bench]";

std::string WithoutInstrument(std::string text, const std::string& block) {
  const size_t at = text.find(block);
  EXPECT_NE(at, std::string::npos) << block;
  if (at != std::string::npos) text.erase(at, block.size());
  return text;
}

TEST(StartupLoad, FindsScopeAndInstrumentsAndShowsModelAndFirmware) {
  ScriptedOperator technician;
  ShellRun run(technician, "default", "load");
  ASSERT_TRUE(run.startup->Load(false));

  const Program& p = *run.program;
  EXPECT_EQ(run.startup->Phase(), StartupPhase::Loading);
  EXPECT_EQ(p.Scope().ScopeModel, "TDS 340");
  EXPECT_EQ(p.Scope().ScopeModelCode, 4);
  EXPECT_EQ(p.Scope().LogFolderName, "LOG340");
  EXPECT_EQ(p.Scope().ScopeFirmware.substr(0, 4), "1.04");
  EXPECT_EQ(run.view.label1, "TDS 340, F/W: v" + p.Scope().ScopeFirmware);
  EXPECT_TRUE(p.Roles().AllRolesFilled());
  EXPECT_EQ(p.DeviceTimeout(), DriverTimeout::ThreeSeconds);
  EXPECT_EQ(run.view.captions.front(), kTitle + kMark);
  EXPECT_EQ(p.Run().MainTitle, kTitle);
  EXPECT_EQ(p.Run().TestNames[1], "Offset at Zero");
  EXPECT_EQ(run.view.statusLines.size(), 6u);  // the five tests, then Self Cal
  EXPECT_EQ(run.view.counters[2], "5");
  for (std::string_view menu : {"F", "P", "U", "V", "A"}) EXPECT_EQ(run.view.State(menu), "disabled") << menu;
  EXPECT_TRUE(technician.Prompts().empty());
  // Nothing is reset or initialised before the window is on screen.
  EXPECT_EQ(run.TraceIndex("<- FAC"), -1);
}

TEST(StartupLoad, QuestionMarkShowsOnlyTheAboutBox) {
  ScriptedOperator technician;
  ShellRun run(technician, "default", "about");
  EXPECT_FALSE(run.startup->Load(true));
  EXPECT_EQ(run.view.aboutShown, 1);
  EXPECT_EQ(run.startup->Phase(), StartupPhase::Ended);
  EXPECT_EQ(run.view.Caption(), kTitle + kMark);
  EXPECT_TRUE(run.trace.empty()) << run.trace.front();
  EXPECT_FALSE(fs::exists(run.root.Path() / "Veridane"));
  EXPECT_TRUE(technician.Prompts().empty());
}

TEST(StartupLoad, UnsupportedModelEndsTheProgramBeforeAnyReset) {
  // Found by the "TDS 310" search (the answer contains it), rejected by its model text.
  RecordingGpib bus;
  bus.SetListeners({1});
  bus.SetAnswer(1, "ID?", "TEK/TDS 310A,CF:91.1CT FV:v1.04\n");
  ScriptedOperator technician;
  technician.Expect("TDS 310A is currently NOT supported.", kCritical, "TDS", kOk);
  VirtualClock clock;
  MemorySettings settings;
  ScratchFolder root("unsupported");
  RecordingShellView view;
  PresetLogDialogs logDialogs(technician);
  Program program(ProgramSeams{technician, clock, settings, Paths(root.String()), bus, view, logDialogs, root.Path(), false,
                               "", view, TestVersions()});
  EXPECT_THROW(program.Start().Load(false), ProgramEnded);
  technician.ExpectAllConsumed();
  EXPECT_EQ(program.Scope().ScopeDevice, 1);
  for (const std::string& text : bus.WrittenTo(1)) EXPECT_EQ(text, "ID?");
}

TEST(StartupLoad, SimulatedRunCreatesItsOwnFolderUnderTheDataFolder) {
  ScriptedOperator technician;
  ShellRun run(technician, "default", "folders");
  ASSERT_TRUE(run.startup->Load(false));
  EXPECT_TRUE(fs::is_directory(run.root.Path() / "Veridane" / "Simulated"));
  EXPECT_EQ(run.program->DataFolder(), (run.root.Path() / "Veridane" / "Simulated").string());
}

TEST(StartupLoad, RealRunWritesDirectlyIntoTheDataFolder) {
  ScriptedOperator technician;
  ShellRun run(technician, "default", "real", /*simulated=*/false);
  ASSERT_TRUE(run.startup->Load(false));
  EXPECT_TRUE(fs::is_directory(run.root.Path() / "Veridane"));
  EXPECT_FALSE(fs::exists(run.root.Path() / "Veridane" / "Simulated"));
  EXPECT_EQ(run.view.Caption(), kTitle);
}

TEST(StartupLoad, OnlyTheLastFolderLevelIsCreatedAndAFailureIsSaid) {
  ScriptedOperator technician;
  ShellRun run(technician, "default", "deep");
  // A data root that does not exist: the program folder cannot be made one level down.
  const fs::path missingRoot = run.root.Path() / "no" / "such";
  Program program(ProgramSeams{technician, run.clock, run.settings, Paths(missingRoot.string()), run.bench->Bus(),
                               run.view, run.logDialogs, run.bench->InstrumentDataFolder(), true, "", run.view,
                               TestVersions()});
  technician.ExpectContaining("cannot be created. Log files cannot be written in this run.",
                              kOkOnly + kExclamation, "Data Folder", kOk);
  ASSERT_TRUE(program.Start().Load(false));
  technician.ExpectAllConsumed();
  EXPECT_FALSE(fs::exists(missingRoot));
}

// A generator whose compensation data cannot be used leaves Auto mode on without it: start-up
// decides that from the generator's answer (the generator itself does not touch the run state).
TEST(StartupActivate, MissingCompensationFileGivesAutoWithoutCompensation) {
  ScriptedOperator technician;
  technician.ExpectContaining("Do you wish to continue in Auto mode ?", 35, "Auto mode possible", kYes);
  technician.ExpectContaining("Comp data file for SG 5030 not found.", 17, "SG Comp file error", kOk);
  technician.ExpectContaining("Connect the System Channel cables", 64, "Setup", kOk);
  ShellRun run(technician, "missing-comp-file", "auto-without-comp");
  ASSERT_TRUE(run.startup->Load(false));
  ASSERT_TRUE(run.startup->Activate());
  technician.ExpectAllConsumed();
  EXPECT_EQ(run.program->Run().AutoMode, Automation::WithoutCompensation);
}

TEST(StartupActivate, DefaultBenchInAutoMode) {
  ScriptedOperator technician;
  technician.Expect("Do you wish to continue in Auto mode ?\nSG 5030 will be used for SG.\n\n"
                    "Cancel terminates this application.",
                    35, "Auto mode possible", kYes);
  technician.Expect("Connect the System Channel cables (1 & 2) to CH 1 and CH 2.\n"
                    "Connect the System EXT TRIG (cable #2) to EXT TRIG.\nDon't use any terminations.",
                    64, "Setup", kOk);
  ShellRun run(technician, "default", "auto");
  ASSERT_TRUE(run.startup->Load(false));
  ASSERT_TRUE(run.startup->Activate());
  technician.ExpectAllConsumed();

  const Program& p = *run.program;
  EXPECT_EQ(p.Run().AutoMode, Automation::Full);
  EXPECT_EQ(p.Run().MainTitle, kTitle + "  (Auto)");
  EXPECT_EQ(run.view.Caption(), kTitle + "  (Auto)" + kMark);
  EXPECT_EQ(run.view.State("DisableAuto"), "enabled");
  for (std::string_view menu : {"F", "P", "U", "V", "A"}) EXPECT_EQ(run.view.State(menu), "enabled") << menu;
  EXPECT_EQ(run.view.State("AppendLogFile"), "disabled");  // no LOG340 folder yet
  EXPECT_EQ(run.view.intros, std::vector<int16_t>{3});
  EXPECT_EQ(run.startup->Phase(), StartupPhase::Ready);

  // Instruments reset, then the scope initialised with the info window up.
  const int generatorReset = run.TraceIndex("W 8 <- REFREQ OFF");
  const int fac = run.TraceIndex("W 1 <- FAC");
  ASSERT_GE(generatorReset, 0);
  ASSERT_GE(fac, 0);
  EXPECT_LT(generatorReset, fac);
  EXPECT_GE(run.TraceIndex("W 1 <- CH1:COUP GND", fac), 0);
  EXPECT_EQ(technician.InfoTexts(), (std::vector<std::string>{"Initializing TDS 340.", "+Please Wait ...", ""}));
}

TEST(StartupActivate, NoContinuesInManualMode) {
  ScriptedOperator technician;
  technician.ExpectContaining("Do you wish to continue in Auto mode ?", 35, "Auto mode possible", kNo);
  ShellRun run(technician, "default", "manual");
  ASSERT_TRUE(run.startup->Load(false));
  ASSERT_TRUE(run.startup->Activate());
  technician.ExpectAllConsumed();
  EXPECT_EQ(run.program->Run().AutoMode, Automation::Manual);
  EXPECT_EQ(run.view.Caption(), kTitle + kMark);
  EXPECT_NE(run.view.State("DisableAuto"), "enabled");
  EXPECT_GE(run.TraceIndex("W 1 <- FAC"), 0);
  EXPECT_EQ(run.startup->Phase(), StartupPhase::Ready);
}

TEST(StartupActivate, CancelEndsThroughTheUnloadHandler) {
  ScriptedOperator technician;
  technician.ExpectContaining("Do you wish to continue in Auto mode ?", 35, "Auto mode possible", kCancel);
  ShellRun run(technician, "default", "cancel");
  ASSERT_TRUE(run.startup->Load(false));
  EXPECT_FALSE(run.startup->Activate());
  technician.ExpectAllConsumed();
  EXPECT_EQ(run.startup->Phase(), StartupPhase::Ended);
  EXPECT_EQ(technician.InfoTexts(), std::vector<std::string>{"Please wait while the program shuts down."});
  EXPECT_EQ(run.TraceIndex("W 1 <- FAC"), -1);  // the scope is not initialised
  const int reset = run.TraceIndex("W 1 <- *RST");
  ASSERT_GE(reset, 0);
  EXPECT_GE(run.TraceIndex("W 1 <- CLEARM", reset), 0);
  for (std::string_view menu : {"F", "P", "U", "V", "A"}) EXPECT_EQ(run.view.State(menu), "disabled") << menu;
  // A later unload (the window closing) does not run the shutdown again.
  const size_t traced = run.trace.size();
  run.startup->Unload();
  EXPECT_EQ(run.trace.size(), traced);
}

TEST(StartupActivate, ScopeAloneGetsNoAutoOfferAndNoSetupBox) {
  CaptionOperator technician;
  ShellRun run(technician, "scope-only", "scopeonly");
  ASSERT_TRUE(run.startup->Load(false));
  ASSERT_TRUE(run.startup->Activate());
  EXPECT_EQ(technician.CountCaption("Auto mode possible"), 0);
  EXPECT_EQ(technician.CountCaption("Setup"), 0);
  EXPECT_EQ(run.program->Run().AutoMode, Automation::Manual);
  EXPECT_EQ(run.view.Caption(), kTitle + kMark);
  // The hand-set instruments are put back by prompts instead.
  EXPECT_GE(technician.prompts.size(), 1u);
  EXPECT_GE(run.TraceIndex("W 1 <- FAC"), 0);
  EXPECT_EQ(run.view.State("P"), "enabled");
}

TEST(StartupActivate, FourOfFiveInstrumentsGetNoAutoOffer) {
  const std::string withoutTimeMarks =
      WithoutInstrument(std::string(*sim::ShippedBenchText("default")), "[[instrument]]\ntype = \"CG 5011\"\naddress = 6\n");
  for (const std::string& bench : {std::string("missing-scanner-file"), withoutTimeMarks}) {
    CaptionOperator technician;
    ShellRun run(technician, bench, "fourofive");
    ASSERT_TRUE(run.startup->Load(false));
    EXPECT_FALSE(run.program->Roles().AllRolesFilled());
    ASSERT_TRUE(run.startup->Activate());
    EXPECT_EQ(technician.CountCaption("Auto mode possible"), 0);
    EXPECT_EQ(technician.CountCaption("Setup"), 0);
    EXPECT_NE(run.view.State("DisableAuto"), "enabled");
    EXPECT_EQ(run.program->Run().AutoMode, Automation::Manual);
  }
}

TEST(StartupActivate, SplashFollowsTheSkipSplashSetting) {
  const std::vector<std::pair<const char*, bool>> cases = {
      {nullptr, true}, {"0", true}, {"abc", true}, {"1", false}, {" 2", false}};
  for (const auto& [value, shown] : cases) {
    ScriptedOperator technician;
    technician.ExpectContaining("Auto mode", 35, "Auto mode possible", kNo);
    ShellRun run(technician, "default", "splash");
    if (value) run.settings.Save("Veridane", "Settings", "SkipSplash", value);
    ASSERT_TRUE(run.startup->Load(false));
    ASSERT_TRUE(run.startup->Activate());
    EXPECT_EQ(run.view.intros.size(), shown ? 1u : 0u) << (value ? value : "(absent)");
  }
}

TEST(StartupActivate, RunsOnceAndKeepsAppendWhenTheLogFolderExists) {
  ScriptedOperator technician;
  technician.ExpectContaining("Auto mode", 35, "Auto mode possible", kNo);
  ShellRun run(technician, "default", "twice");
  fs::create_directories(run.root.Path() / "Veridane" / "Simulated" / "LOG340");
  ASSERT_TRUE(run.startup->Load(false));
  ASSERT_TRUE(run.startup->Activate());
  const size_t traced = run.trace.size();
  EXPECT_TRUE(run.startup->Activate());  // another window closed over the main window
  EXPECT_EQ(run.trace.size(), traced);
  EXPECT_EQ(run.view.intros.size(), 1u);
  technician.ExpectAllConsumed();
  EXPECT_NE(run.view.State("AppendLogFile"), "disabled");
  // Start-up leaves the log commands as the log rule has them: no log, nothing shown yet.
  EXPECT_EQ(run.view.State("CloseLogFile"), "disabled");
  EXPECT_EQ(run.view.State("PrintStart"), "disabled");
}

TEST(StartupExit, UnloadShowsTheInfoResetsInstrumentsThenTheScope) {
  ScriptedOperator technician;
  technician.ExpectContaining("Auto mode", 35, "Auto mode possible", kNo);
  ShellRun run(technician, "default", "unload");
  ASSERT_TRUE(run.startup->Load(false));
  ASSERT_TRUE(run.startup->Activate());
  const size_t before = run.trace.size();
  run.startup->Unload();
  EXPECT_EQ(technician.InfoTexts().back(), "Please wait while the program shuts down.");
  const int calibrator = run.TraceIndex("W 7 <- CC", static_cast<int>(before));
  const int scope = run.TraceIndex("W 1 <- *RST", static_cast<int>(before));
  ASSERT_GE(calibrator, 0);
  ASSERT_GE(scope, 0);
  EXPECT_LT(calibrator, scope);
  EXPECT_GE(run.TraceIndex("W 1 <- CLEARM", scope), 0);
  EXPECT_EQ(run.startup->Phase(), StartupPhase::Ended);
}

TEST(StartupCommands, ModuleVersions) {
  ScriptedOperator technician;
  technician.Expect("          Main Program: 2025-02-21 - v1.0\n"
                    "Parlex: 2025-02-17 - v2.1\n"
                    "                  Error Log: 2025-02-14 - v1.3\n"
                    "           TDSRoutines: 2025-02-21 - v1.1\n"
                    "           TestRoutines: 2025-02-14 - v1.15\n"
                    "                     Drivers: 2025-02-14 - v1.35\n"
                    "               VBIB32QZ: 2025-02-14 - v1.6\n"
                    "                         Print: 2003-01-31 - v1.1\n",
                    0, "Current Module versions", kOk);
  ShellRun run(technician, "default", "versions");
  run.startup->ShowVersions();
  technician.ExpectAllConsumed();
}

// The menu and --run reach the tests through the program by number, the self calibration as
// its catalogue entry; a number the catalogue has no procedure for runs nothing.
TEST(ProgramCommands, TestsAreOfferedAsTheCatalogueHasThem) {
  ScriptedOperator technician;
  ShellRun run(technician, "default", "offered");
  for (const CatalogueEntry& entry : TestCatalogue())
    EXPECT_EQ(run.program->HasTest(entry.number), entry.entry != nullptr) << entry.title;
  EXPECT_FALSE(run.program->HasTest(-1));
  EXPECT_FALSE(run.program->HasTest(kMostTests));
  EXPECT_FALSE(run.program->HasTest(kMostTests + 1));
  run.program->RunTest(kMostTests);
  run.program->RunTest(-1);
  EXPECT_TRUE(run.trace.empty());
  EXPECT_TRUE(technician.Prompts().empty());
}

}  // namespace
}  // namespace veridane::testing
