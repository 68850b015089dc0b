// The run without a display, end to end on the simulated benches: what it prints, and the exit
// code a script sees for a good scope, a faulty one, a stopped run and a fatal end.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/text8_file.h"
#include "shell/command_line.h"
#include "ui/console/headless.h"
#include "ui/console/log_text_command.h"
#include "test/support/shell_fakes.h"
#include "test/support/test_backends.h"

namespace veridane::testing {
namespace {

struct HeadlessResult {
  int code = -1;
  std::string out;
  std::string messages;
};

HeadlessResult RunHeadlessWith(const std::vector<std::string>& args, const ScratchFolder& root,
                               MemorySettings* settings = nullptr, const ConsoleLooks& looks = {}) {
  MemorySettings own;
  std::ostringstream out, messages;
  HeadlessResult result;
  CommandLine options = ParseCommandLine(args);
  EXPECT_TRUE(options.errors.empty());
  result.code =
      RunHeadless(TestBackends(), options, settings ? *settings : own, Paths(root.String()), out, messages, looks);
  result.out = out.str();
  result.messages = messages.str();
  return result;
}

std::string WriteAnswers(const ScratchFolder& root, const std::string& content) {
  const std::string path = (root.Path() / "answers.txt").string();
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

TEST(Headless, HealthyBenchPassesAndPrintsTheTable) {
  ScratchFolder root("headless-ok");
  HeadlessResult r = RunHeadlessWith({"--headless", "--bench", "sim", "--run", "offset"}, root);
  EXPECT_EQ(r.code, kExitPassed) << r.messages;
  // The table, row by row, in UTF-8.
  EXPECT_EQ(r.out.rfind("Offset at Zero - ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("\xC2\xB1" "3.20 mV"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
  EXPECT_EQ(r.out.find("  FAIL\n"), std::string::npos);
  // Start-up answered on the console: Auto mode, the set-up box, then the orderly exit.
  EXPECT_NE(r.messages.find("[Yes] [No] [Cancel] -> Yes"), std::string::npos);
  EXPECT_NE(r.messages.find(" SETUP  <INFO>"), std::string::npos);
  EXPECT_NE(r.messages.find("Please wait while the program shuts down."), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(root.Path() / "Veridane" / "Simulated"));
}

TEST(Headless, OnATerminalFailRowsAreColouredAndProgressIsShown) {
  ScratchFolder root("headless-terminal");
  const std::vector<std::string> args = {"--headless", "--bench", "sim:offset-fault", "--run", "offset"};
  HeadlessResult plain = RunHeadlessWith(args, root);
  HeadlessResult terminal = RunHeadlessWith(args, root, nullptr, ConsoleLooks{true, true});
  EXPECT_EQ(plain.out.find('\x1b'), std::string::npos);
  EXPECT_EQ(plain.messages.find("step "), std::string::npos);

  // Without the colour codes the terminal's table is the file's, row for row; only FAIL rows
  // are coloured.
  std::string stripped = std::regex_replace(terminal.out, std::regex("\x1b\\[[0-9;]*m"), "");
  EXPECT_EQ(stripped, plain.out);
  std::istringstream rows(terminal.out);
  int red = 0;
  for (std::string row; std::getline(rows, row);) {
    const bool fail = row.find("FAIL") != std::string::npos && row.find("PASS/FAIL") == std::string::npos;
    EXPECT_EQ(row.rfind("\x1b[1;31m", 0) == 0, fail) << row;
    red += fail;
  }
  EXPECT_GT(red, 0);

  // One progress line as the test starts, one per row, one at its end.
  EXPECT_NE(terminal.messages.find("Offset at Zero: step 1 of 10"), std::string::npos) << terminal.messages;
  EXPECT_NE(terminal.messages.find("Offset at Zero: step 10 of 10"), std::string::npos);
  EXPECT_NE(terminal.messages.find("Offset at Zero: 10 of 10 steps in "), std::string::npos);
}

TEST(ConsoleLooks, ColourOnlyOnATerminalWithoutNoColor) {
  EXPECT_TRUE(ChooseConsoleLooks(true, false, nullptr).colourRows);
  EXPECT_FALSE(ChooseConsoleLooks(true, false, "1").colourRows);
  EXPECT_FALSE(ChooseConsoleLooks(true, false, "").colourRows);
  EXPECT_FALSE(ChooseConsoleLooks(false, true, nullptr).colourRows);
  EXPECT_TRUE(ChooseConsoleLooks(false, true, "1").progress);
  EXPECT_FALSE(ChooseConsoleLooks(true, false, nullptr).progress);
}

TEST(Headless, ErrorLogRunPrintsTheScopesLogAndRunsNoTest) {
  ScratchFolder root("headless-errorlog");
  HeadlessResult r = RunHeadlessWith({"--headless", "--bench", "sim:long-error-log", "--run", "ErrorLog"}, root);
  EXPECT_EQ(r.code, kExitPassed) << r.messages;
  std::istringstream lines(r.out);
  std::string line;
  std::vector<std::string> printed;
  while (std::getline(lines, line)) printed.push_back(line);
  ASSERT_EQ(printed.size(), 251u) << r.out;  // the header and every entry, none lost
  EXPECT_EQ(printed[0].rfind("Error Log from TDS 380, S/N ", 0), 0u) << printed[0];
  EXPECT_NE(printed[2].find("\xC2\xB1 0.8%"), std::string::npos) << printed[2];  // 8-bit text as UTF-8
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
  EXPECT_NE(r.messages.find(" 250 logged errors found."), std::string::npos) << r.messages;
  EXPECT_EQ(r.out.find("PASS"), std::string::npos);

  ScratchFolder clean("headless-errorlog-empty");
  HeadlessResult none = RunHeadlessWith({"--headless", "--bench", "sim", "--run", "errorlog"}, clean);
  EXPECT_EQ(none.code, kExitPassed) << none.messages;
  EXPECT_EQ(std::count(none.out.begin(), none.out.end(), '\n'), 1) << none.out;
  EXPECT_NE(none.messages.find(" No logged errors found."), std::string::npos) << none.messages;
}

TEST(Headless, ErrorLogIsARunOfItsOwn) {
  EXPECT_TRUE(ParseRunPlan(" errorlog ").errorLog);
  const RunPlan mixed = ParseRunPlan("offset,errorlog");
  EXPECT_FALSE(mixed.errorLog);
  EXPECT_NE(mixed.error.find("\"errorlog\""), std::string::npos);
}

TEST(Headless, FaultyBenchFails) {
  ScratchFolder root("headless-fault");
  HeadlessResult r = RunHeadlessWith({"--headless", "--bench", "sim:offset-fault", "--run", "offset"}, root);
  EXPECT_EQ(r.code, kExitFailed) << r.messages;
  EXPECT_NE(r.out.find("FAIL"), std::string::npos);
}

TEST(Headless, CancelInATestPromptAbortsTheRun) {
  ScratchFolder root("headless-cancel");
  // In manual mode the offset test first asks to disconnect the inputs; Cancel stops it.
  const std::string answers = WriteAnswers(root, "# stop at the first test prompt\n^Offset at Zero$\tCancel\n");
  HeadlessResult r = RunHeadlessWith(
      {"--headless", "--manual", "--answers", answers, "--run", "offset,dcv"}, root);
  EXPECT_EQ(r.code, kExitAborted) << r.messages;
  EXPECT_NE(r.messages.find("Offset at Zero - N/A"), std::string::npos) << r.messages;
  // The second test is not started after the first was stopped.
  EXPECT_EQ(r.out.find("DC Voltage"), std::string::npos);
}

TEST(Headless, CancelAtTheAutoOfferEndsThroughTheUnload) {
  ScratchFolder root("headless-autocancel");
  const std::string answers = WriteAnswers(root, "^Auto mode possible$\tCancel\n");
  HeadlessResult r = RunHeadlessWith({"--headless", "--answers", answers, "--run", "offset"}, root);
  EXPECT_EQ(r.code, kExitAborted);
  EXPECT_NE(r.messages.find("Please wait while the program shuts down."), std::string::npos);
  EXPECT_TRUE(r.out.empty()) << r.out;
}

TEST(Headless, FatalEndsGiveThree) {
  ScratchFolder root("headless-fatal");
  // Ending at the compensation-file question is a fatal end.
  const std::string answers = WriteAnswers(root, "^SG Comp file error$\tCancel\n");
  HeadlessResult comp = RunHeadlessWith(
      {"--headless", "--bench", "sim:missing-comp-file", "--answers", answers, "--run", "offset"}, root);
  EXPECT_EQ(comp.code, kExitEnded) << comp.messages;
  EXPECT_NE(comp.messages.find("The program ended."), std::string::npos);
}

// A signal the scope cannot reach is a finding about the scope: the question that keeps coming
// back is answered No at last, the test fails saying why, and the sequence goes on.
TEST(Headless, AQuestionLoopFailsItsTestAndTheFullSequenceGoesOn) {
  ScratchFolder root("headless-question-loop");
  HeadlessResult r = RunHeadlessWith({"--headless", "--bench", "sim:bandwidth-fault", "--run", "full"}, root);
  EXPECT_EQ(r.code, kExitFailed) << r.messages;
  // Named, as the trigger test may not have shown a table of its own yet.
  EXPECT_NE(r.out.find("\nEdge Trigger Sensitivity - SIGNAL COULD NOT BE SET: TEST FAILED.\n"
                       "  (\"Large Amplitude Error\" asked too often)\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.messages.find("(asked 6 times for this step: answering No)"), std::string::npos) << r.messages;
  EXPECT_NE(r.messages.find("Analog Bandwidth - FAIL"), std::string::npos) << r.messages;
  EXPECT_NE(r.messages.find("Long Term Sample Rate & Delay Time - PASS"), std::string::npos) << r.messages;
  EXPECT_NE(r.messages.find("Full Sequence Failed."), std::string::npos) << r.messages;

  // Nobody sets the missing generator: the frequency error and "continue?" took turns until the
  // run was ended as fatal; now the test fails.
  HeadlessResult alone = RunHeadlessWith({"--headless", "--bench", "sim:scope-only", "--run", "bandwidth"}, root);
  EXPECT_EQ(alone.code, kExitFailed) << alone.messages;
  EXPECT_NE(alone.out.find("SIGNAL COULD NOT BE SET"), std::string::npos) << alone.out;
}

// A scope that leaves the bus in the middle of a Full Sequence by hand: every reading fails and
// the levelling loop never ends by itself. The technician's answers count for the repeat guard,
// so the run ends, saying at which prompt.
TEST(Headless, AScopeThatVanishesDuringAHandRunEndsItSayingWhere) {
  ScratchFolder root("headless-vanishing-scope");
  const std::string bench = (root.Path() / "vanishing-scope.toml").string();
  std::ofstream(bench, std::ios::binary)
      << "description = \"TDS 340 alone, gone after 150 messages\"\n[scope]\nmodel = \"TDS 340\"\naddress = 1\n"
         "faults = { vanish_after = 150 }\n";
  HeadlessResult r = RunHeadlessWith(
      {"--headless", "--bench", bench, "--manual", "--technician", "virtual", "--run", "full", "--no-results"}, root);
  EXPECT_EQ(r.code, kExitEnded) << r.messages;
  EXPECT_NE(r.messages.find("The same prompt came 50 times among the last 100 prompts with the same answer; "
                            "ending the run.\n  The prompt: \"GPIB ERROR # 2\""),
            std::string::npos)
      << r.messages;
}

TEST(Headless, FullSequenceRunsWhatIsAvailable) {
  ScratchFolder root("headless-full");
  HeadlessResult r = RunHeadlessWith({"--headless", "--run", "full"}, root);
  EXPECT_EQ(r.code, kExitPassed) << r.messages;
  EXPECT_NE(r.messages.find("Full Sequence Passed."), std::string::npos) << r.messages;
  EXPECT_NE(r.messages.find("Offset at Zero - PASS"), std::string::npos);
  EXPECT_NE(r.messages.find("DC Voltage Measurement - PASS"), std::string::npos);
  EXPECT_NE(r.out.find("\nDC Voltage Measurement"), std::string::npos);
}

TEST(Headless, VirtualTechnicianMakesTheHandSettings) {
  ScratchFolder root("headless-virtual");
  // The console cannot plug the calibrator into the inputs, so the DC test fails in manual mode...
  HeadlessResult console = RunHeadlessWith({"--headless", "--manual", "--run", "dcv"}, root);
  EXPECT_EQ(console.code, kExitFailed);
  // ...the virtual technician plugs the cables as asked, and it passes.
  HeadlessResult technician =
      RunHeadlessWith({"--headless", "--manual", "--technician", "virtual", "--run", "offset,dcv"}, root);
  EXPECT_EQ(technician.code, kExitPassed) << technician.messages;
  EXPECT_NE(technician.messages.find("plugged CALIB into CH 1"), std::string::npos) << technician.messages;

  HeadlessResult scopeOnly = RunHeadlessWith(
      {"--headless", "--bench", "sim:scope-only", "--technician", "virtual", "--run", "full"}, root);
  EXPECT_EQ(scopeOnly.code, kExitPassed) << scopeOnly.messages;
}

TEST(Headless, WrongRequestsAreRefusedBeforeTheBusIsTouched) {
  ScratchFolder root("headless-usage");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--headless"},
           {"--headless", "--run", "offset,voltmeter"},
           {"--headless", "--run", "offset", "--answers", (root.Path() / "none.txt").string()},
           {"--headless", "--run", "offset", "--technician", "robot"},
           {"--headless", "--bench", "nonsense", "--run", "offset"},
           {"--headless", "--run", "offset", "--trace", (root.Path() / "no-folder" / "t.txt").string()}}) {
    HeadlessResult r = RunHeadlessWith(args, root);
    EXPECT_EQ(r.code, kExitUsage) << args.back();
    EXPECT_FALSE(r.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(root.Path() / "Veridane")) << args.back();
  }
}

TEST(Headless, RealBoardWithoutItsLibrarySaysWhatIsMissingThenFailsAsTheProgramDoes) {
  ScratchFolder root("headless-hardware");
  MemorySettings settings;
  settings.Save("Veridane", "Settings", "GpibLibrary", (root.Path() / "no-libgpib.so").string());
  HeadlessResult board = RunHeadlessWith({"--headless", "--bench", "gpib:0", "--run", "offset"}, root, &settings);
  EXPECT_EQ(board.code, kExitEnded) << board.messages;
  EXPECT_NE(board.messages.find("no-libgpib.so"), std::string::npos) << board.messages;
  EXPECT_NE(board.messages.find("INITIALIZATION ERROR 7"), std::string::npos) << board.messages;

  // A connection text that names nothing usable is a usage error.
  HeadlessResult bad = RunHeadlessWith({"--headless", "--bench", "prologix-tcp:", "--run", "offset"}, root);
  EXPECT_EQ(bad.code, kExitUsage) << bad.messages;
}

TEST(Headless, TraceFileHoldsTheBusTraffic) {
  ScratchFolder root("headless-trace");
  const std::string trace = (root.Path() / "bus.txt").string();
  HeadlessResult r = RunHeadlessWith({"--headless", "--trace", trace, "--run", "offset"}, root);
  EXPECT_EQ(r.code, kExitPassed);
  std::ifstream file(trace);
  std::stringstream content;
  content << file.rdbuf();
  EXPECT_NE(content.str().find("FAC"), std::string::npos);
  EXPECT_NE(content.str().find("MEASU:MEAS1:VAL?"), std::string::npos);
  // Every line starts with the elapsed (virtual) time, so the waits can be read off the trace.
  std::string line;
  double previous = 0, last = 0;
  int lines = 0;
  while (std::getline(content, line)) {
    ++lines;
    ASSERT_TRUE(std::regex_search(line, std::regex(R"(^ *\d+\.\d{3} )"))) << line;
    last = std::stod(line);
    EXPECT_GE(last, previous) << line;
    previous = last;
  }
  EXPECT_GT(lines, 50);
  EXPECT_GT(last, 1.0) << "the test's waits pass on the virtual clock and show in the stamps";
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(Headless, LogIsWrittenAsShownNeverOverwrittenAndContinuedOnAppend) {
  ScratchFolder root("headless-log");
  const std::filesystem::path folder = root.Path() / "Veridane" / "Simulated" / "LOG340";
  HeadlessResult first =
      RunHeadlessWith({"--headless", "--run", "offset", "--log", "unit7", "--serial", "b123", "--operator", "Jo"}, root);
  EXPECT_EQ(first.code, kExitPassed) << first.messages;
  const std::string log = FileBytes(folder / "unit7.log");
  EXPECT_EQ(log.rfind("Performance Verification of TDS 340, S/N: B123\r\n\r\nDate & Time: ", 0), 0u) << log;
  EXPECT_NE(log.find("\r\nOperator: Jo\r\n"), std::string::npos);
  EXPECT_NE(log.find("\r\nOffset at Zero"), std::string::npos);  // compacted as written
  EXPECT_EQ(FileBytes(folder / "unit7.tst"), " 1  0  0  0  0 ");

  HeadlessResult again = RunHeadlessWith({"--headless", "--run", "offset", "--log", "unit7"}, root);
  EXPECT_EQ(again.code, kExitUsage);
  EXPECT_NE(again.messages.find("already exists; give --append"), std::string::npos) << again.messages;
  EXPECT_EQ(FileBytes(folder / "unit7.log"), log);

  HeadlessResult appended = RunHeadlessWith({"--headless", "--run", "offset", "--log", "unit7", "--append"}, root);
  EXPECT_EQ(appended.code, kExitPassed) << appended.messages;
  const std::string longer = FileBytes(folder / "unit7.log");
  EXPECT_EQ(longer.substr(0, log.size()), log);
  EXPECT_GT(longer.size(), log.size() + 100);

  HeadlessResult overlong = RunHeadlessWith({"--headless", "--run", "offset", "--log", "a-name-of-19-chars-"}, root);
  EXPECT_EQ(overlong.code, kExitUsage);
  EXPECT_NE(overlong.messages.find("longer than 18 characters"), std::string::npos) << overlong.messages;
  HeadlessResult escaping = RunHeadlessWith({"--headless", "--run", "offset", "--log", "../unit7"}, root);
  EXPECT_EQ(escaping.code, kExitUsage);
  EXPECT_NE(escaping.messages.find("is refused: Logfile Name must be without extension."), std::string::npos)
      << escaping.messages;
  EXPECT_EQ(escaping.messages.find("already exists"), std::string::npos) << escaping.messages;
  EXPECT_FALSE(std::filesystem::exists(root.Path() / "Veridane" / "Simulated" / "unit7.log"));
}

// Another run holds the log (it is running its tests): a second run on it is refused before
// it adds a row, and the first run's status file is not overwritten.
TEST(Headless, LogHeldByAnotherRunIsRefused) {
  ScratchFolder root("headless-log-held");
  const std::filesystem::path folder = root.Path() / "Veridane" / "Simulated" / "LOG340";
  ASSERT_EQ(RunHeadlessWith({"--headless", "--run", "offset", "--log", "unit8"}, root).code, kExitPassed);
  const std::string log = FileBytes(folder / "unit8.log");
  const std::string status = FileBytes(folder / "unit8.tst");
  Text8File held;
  ASSERT_TRUE(held.Open((folder / "unit8.log").string(), Text8File::Mode::Continue, Text8File::Hold::Exclusive));
  HeadlessResult second = RunHeadlessWith({"--headless", "--run", "offset", "--log", "unit8", "--append"}, root);
  EXPECT_EQ(second.code, kExitUsage);
  EXPECT_NE(second.messages.find("The log unit8 is in use by another run"), std::string::npos) << second.messages;
  EXPECT_EQ(FileBytes(folder / "unit8.log"), log);
  EXPECT_EQ(FileBytes(folder / "unit8.tst"), status);
  held.Close();
  EXPECT_EQ(RunHeadlessWith({"--headless", "--run", "offset", "--log", "unit8", "--append"}, root).code, kExitPassed);
}

// The disk fills up during the run (the file-size limit stands in for it): the log ends with
// its last whole row, the tests go on, and the exit code tells the script the log is short.
TEST(Headless, ALogTheDiskStopsTakingEndsTheRunWithThree) {
  ScratchFolder root("headless-log-full");
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 1500;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  HeadlessResult r = RunHeadlessWith({"--headless", "--run", "offset,dcv", "--no-results", "--log", "u11"}, root);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(r.code, kExitEnded) << r.messages;
  EXPECT_NE(r.messages.find("The log u11 is incomplete"), std::string::npos) << r.messages;
  EXPECT_NE(r.out.find("DC Voltage Measurement"), std::string::npos);
  const std::string log = FileBytes(root.Path() / "Veridane" / "Simulated" / "LOG340" / "u11.log");
  EXPECT_GT(log.size(), 1000u);
  EXPECT_TRUE(log.ends_with("\r\n"));

  // Only the status file failing (its new copy cannot be made): the log is whole and says so.
  ASSERT_EQ(RunHeadlessWith({"--headless", "--run", "offset", "--no-results", "--log", "u12"}, root).code, kExitPassed);
  std::filesystem::create_directory(root.Path() / "Veridane" / "Simulated" / "LOG340" / "u12.tst.new");
  r = RunHeadlessWith({"--headless", "--run", "offset", "--no-results", "--log", "u12", "--append"}, root);
  EXPECT_EQ(r.code, kExitEnded) << r.messages;
  EXPECT_EQ(r.messages.find("is incomplete"), std::string::npos) << r.messages;
  EXPECT_NE(r.messages.find("The log u12 holds every row, but its status file u12.tst could not be written"),
            std::string::npos)
      << r.messages;
}

// Any answer of *CAL? but success fails the Full Sequence, in Auto mode too, and the run.
TEST(Headless, FailedSelfCalibrationFailsTheFullSequence) {
  ScratchFolder root("headless-selfcal-full");
  HeadlessResult one = RunHeadlessWith({"--headless", "--bench", "sim:selfcal-fault", "--run", "full"}, root);
  EXPECT_EQ(one.code, kExitFailed) << one.messages;
  EXPECT_NE(one.messages.find("Full Sequence disabled."), std::string::npos) << one.messages;
  EXPECT_NE(one.out.find("SELF CALIBRATION FAILED"), std::string::npos) << one.out;

  std::string bench = FileBytes(std::filesystem::path(VERIDANE_SOURCE_DIR) / "sim" / "benches" / "selfcal-fault.toml");
  const size_t at = bench.find("self_cal = \"fail\"");
  ASSERT_NE(at, std::string::npos);
  bench.replace(at, std::string("self_cal = \"fail\"").size(), "self_cal = 2");
  const std::string file = (root.Path() / "cal2.toml").string();
  std::ofstream(file, std::ios::binary) << bench;
  HeadlessResult two = RunHeadlessWith({"--headless", "--bench", file, "--run", "full"}, root);
  EXPECT_EQ(two.code, kExitFailed) << two.messages;
  EXPECT_NE(two.messages.find("Self Calibration Failed - Restart to try again."), std::string::npos) << two.messages;
  EXPECT_EQ(two.messages.find("Full Sequence Passed."), std::string::npos) << two.messages;
  EXPECT_EQ(two.out.find("Offset at Zero - "), std::string::npos) << two.out;
}

TEST(Headless, ALogAppendedTwiceReadsAsThreeDatedSessions) {
  ScratchFolder root("headless-log-text");
  MemorySettings settings;
  const std::filesystem::path log = root.Path() / "Veridane" / "Simulated" / "LOG340" / "u9.log";
  ASSERT_EQ(RunHeadlessWith({"--headless", "--run", "offset", "--log", "u9", "--serial", "b9"}, root, &settings).code,
            kExitPassed);
  for (int i = 0; i < 2; ++i)
    ASSERT_EQ(RunHeadlessWith({"--headless", "--run", "offset", "--log", "u9", "--append"}, root, &settings).code,
              kExitPassed);
  const std::string before = FileBytes(log);

  std::ostringstream out, messages;
  CommandLine options = ParseCommandLine({"--log-text", log.string()});
  ASSERT_EQ(RunLogTextCommand(options, settings, Paths(root.String()), out, messages), kExitPassed) << messages.str();
  const std::string text = out.str();
  EXPECT_EQ(messages.str(), "");
  std::vector<std::string> marks;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("----- Session ", 0) == 0) marks.push_back(line.substr(0, 30));
  ASSERT_EQ(marks.size(), 3u) << text;
  EXPECT_EQ(marks[0].substr(0, 31), "----- Session 1: log created 2");
  EXPECT_EQ(marks[1].substr(0, 27), "----- Session 2: appended 2");
  EXPECT_EQ(marks[2].substr(0, 27), "----- Session 3: appended 2");
  // The first session opens the text; the rows are expanded, the line ends plain.
  EXPECT_EQ(text.rfind("----- Session 1", 0), 0u);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_NE(text.find("Performance Verification of TDS 340, S/N: B9\n"), std::string::npos);
  EXPECT_NE(text.find("\xC2\xB1" "3.20 mV"), std::string::npos) << text;  // ± in UTF-8
  EXPECT_EQ(FileBytes(log), before);

  // A log the database knows nothing of reads without dates; a missing one is an error.
  std::filesystem::copy_file(log, root.Path() / "copy.log");
  std::ostringstream copyOut, copyMessages;
  options = ParseCommandLine({"--log-text", (root.Path() / "copy.log").string()});
  ASSERT_EQ(RunLogTextCommand(options, settings, Paths(root.String()), copyOut, copyMessages), kExitPassed);
  EXPECT_EQ(copyOut.str().find("----- Session"), std::string::npos);
  options = ParseCommandLine({"--log-text", (root.Path() / "none.log").string()});
  EXPECT_EQ(RunLogTextCommand(options, settings, Paths(root.String()), copyOut, copyMessages), kExitUsage);
  // A file that is no log is refused, and a control code inside a log is shown, not obeyed.
  { std::ofstream(root.Path() / "junk.log", std::ios::binary) << "\x1b]0;title\x07\x1b[2J random bytes\r\n"; }
  std::ostringstream junkOut, junkMessages;
  options = ParseCommandLine({"--log-text", (root.Path() / "junk.log").string()});
  EXPECT_EQ(RunLogTextCommand(options, settings, Paths(root.String()), junkOut, junkMessages), kExitUsage);
  EXPECT_EQ(junkOut.str(), "");
  EXPECT_NE(junkMessages.str().find("is no result log"), std::string::npos) << junkMessages.str();
  { std::ofstream(root.Path() / "copy.log", std::ios::binary | std::ios::app) << " CH 1 \x1b[2J\r\n"; }
  std::ostringstream escOut, escMessages;
  options = ParseCommandLine({"--log-text", (root.Path() / "copy.log").string()});
  ASSERT_EQ(RunLogTextCommand(options, settings, Paths(root.String()), escOut, escMessages), kExitPassed);
  EXPECT_EQ(escOut.str().find('\x1b'), std::string::npos);
  EXPECT_NE(escOut.str().find(" CH 1 ?[2J"), std::string::npos);
}

TEST(Headless, QuestionMarkPrintsTheTitleAndRunsNothing) {
  ScratchFolder root("headless-about");
  HeadlessResult r = RunHeadlessWith({"--headless", "/?"}, root);
  EXPECT_EQ(r.code, kExitPassed);
  EXPECT_EQ(r.out.rfind("Veridane, v", 0), 0u) << r.out;
  EXPECT_EQ(r.messages.find("(scope)"), std::string::npos);
  // A "?" in a comment asked for no About box: the run that was asked for is refused, not skipped.
  HeadlessResult asked = RunHeadlessWith({"--headless", "--run", "offset", "--comments", "CH2 noisy?"}, root);
  EXPECT_EQ(asked.code, kExitUsage);
  EXPECT_NE(asked.messages.find("The value of --comments contains \"?\""), std::string::npos) << asked.messages;
  EXPECT_EQ(asked.out, "");
}

TEST(HeadlessRunPlan, Names) {
  EXPECT_TRUE(ParseRunPlan("full").fullSequence);
  EXPECT_TRUE(ParseRunPlan(" FULL ").fullSequence);
  EXPECT_EQ(ParseRunPlan("offset").tests, std::vector<int>{1});
  EXPECT_EQ(ParseRunPlan("dcv, Offset,trigger").tests, (std::vector<int>{2, 1, 5}));
  EXPECT_EQ(ParseRunPlan("bandwidth,samplerate").tests, (std::vector<int>{3, 4}));
  EXPECT_FALSE(ParseRunPlan("offset,,dcv").error.empty());
  EXPECT_FALSE(ParseRunPlan("full,offset").error.empty());
  EXPECT_FALSE(ParseRunPlan("").error.empty());
  EXPECT_EQ(ParseRunPlan("SelfCal,bandwidth").tests, (std::vector<int>{kRunSelfCal, 3}));
}

TEST(Headless, SelfCalibrationByNameAndItsExitCode) {
  ScratchFolder root("headless-selfcal");
  HeadlessResult good = RunHeadlessWith({"--headless", "--bench", "sim", "--run", "selfcal"}, root);
  EXPECT_EQ(good.code, kExitPassed) << good.messages;
  EXPECT_NE(good.messages.find("Self Calibration has been succesfully performed."), std::string::npos);

  // A scope that did not calibrate is not verified further.
  HeadlessResult bad = RunHeadlessWith({"--headless", "--bench", "sim:selfcal-fault", "--run", "selfcal,offset"}, root);
  EXPECT_EQ(bad.code, kExitFailed) << bad.messages;
  EXPECT_NE(bad.messages.find("Self Calibration Failed - Restart to try again."), std::string::npos);
  EXPECT_EQ(bad.out.find("Offset at Zero - "), std::string::npos) << bad.out;
}

TEST(Headless, BandwidthOnTheTds380AndByHand) {
  ScratchFolder root("headless-bandwidth");
  HeadlessResult r = RunHeadlessWith({"--headless", "--bench", "sim:tds380", "--run", "bandwidth"}, root);
  EXPECT_EQ(r.code, kExitPassed) << r.messages;
  size_t low = 0, high = 0;
  for (size_t at = 0; (at = r.out.find(" MHz   PASS\n", at)) != std::string::npos; ++at) {
    low += r.out.compare(at - 4, 4, " 250") == 0;
    high += r.out.compare(at - 4, 4, " 400") == 0;
  }
  EXPECT_EQ(low, 2u) << r.out;
  EXPECT_EQ(high, 16u) << r.out;

  HeadlessResult hand = RunHeadlessWith(
      {"--headless", "--bench", "sim:scope-only", "--manual", "--technician", "virtual", "--run", "bandwidth"}, root);
  EXPECT_EQ(hand.code, kExitPassed) << hand.messages;
  // The technician's hand is not exact: the loop asked for corrections.
  EXPECT_NE(hand.messages.find("[Amplitude Error] The amplitude is out of limit!"), std::string::npos) << hand.messages;
}

TEST(HeadlessCommandLine, OptionsWithValues) {
  const CommandLine line = ParseCommandLine({"--headless", "--bench", "sim:tds380", "--run=offset,dcv", "--manual",
                                             "--answers", "a.txt", "--trace", "t.txt", "--technician", "virtual"});
  EXPECT_TRUE(line.headless);
  EXPECT_EQ(line.bench, std::optional<std::string>("sim:tds380"));
  EXPECT_EQ(line.run, "offset,dcv");
  EXPECT_TRUE(line.manual);
  EXPECT_EQ(line.answersFile, "a.txt");
  EXPECT_EQ(line.traceFile, "t.txt");
  EXPECT_EQ(line.technician, "virtual");
  EXPECT_TRUE(line.errors.empty());
  EXPECT_TRUE(line.ignored.empty());
  EXPECT_FALSE(line.aboutRequested);

  EXPECT_FALSE(ParseCommandLine({}).bench.has_value());
  EXPECT_EQ(ParseCommandLine({"--bench"}).errors, std::vector<std::string>{"--bench needs a value"});
  EXPECT_EQ(ParseCommandLine({"--run="}).errors, std::vector<std::string>{"--run needs a value"});
  // A "?" anywhere asks for the About box, even as an option's value.
  EXPECT_TRUE(ParseCommandLine({"--bench", "?"}).aboutRequested);
  EXPECT_TRUE(ParseCommandLine({"-?"}).aboutRequested);
}

}  // namespace
}  // namespace veridane::testing
