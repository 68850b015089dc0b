#include "log/log_book.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/event_loop.h"
#include "test/support/scripted_log_dialogs.h"
#include "test/support/scripted_operator.h"
#include "test/support/frame_fakes.h"
#include "report/format.h"
#include "pv/frame/status_list.h"
#include "pv/catalogue.h"
#include "pv/frame/test_frame.h"

namespace veridane {
namespace {

namespace fs = std::filesystem;
using testing::RecordingView;
using testing::ScriptedLogDialogs;
using testing::ScriptedOperator;

const char* const kClearQuestion = "This will clear screen and (re)set all test status.\r\nDo you want to continue ?";
const char* const kNotRun = " 0  0  0  0  0 ";

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

CreateLogEntries Entries(std::string serial, std::string name, bool idMode = false) {
  return {std::move(serial), std::move(name), "", "", idMode};
}

class LogBookTest : public ::testing::Test {
 protected:
  LogBookTest() : data(fs::temp_directory_path() / ("logbook_" + std::to_string(::getpid()))) {
    fs::remove_all(data);
    fs::create_directories(data);
    GiveTitles(frame.Hooks());
    frame.NameTests();
    display.SetResultLog(&log);
    frame.Hooks().WriteStatusFile = [this] { log.WriteStatusFile(); };
    frame.Hooks().CreateLogFile = [this] { log.CreateLogFile(); };
  }
  ~LogBookTest() override { fs::remove_all(data); }

  fs::path Folder() const { return data / "LOG340"; }
  std::string Header(const std::string& serialPart) const {
    return "Performance Verification of TDS 340, S/N: " + serialPart +
           "\r\n\r\nDate & Time: 2024-03-14, 09:26\r\n\r\nOperator: " + std::string(62, '_') + "\r\n\r\nComments: " +
           std::string(62, '_') + "\r\n";
  }
  // A log created in an existing folder, its questions answered.
  void CreateUnit7() {
    fs::create_directories(Folder());
    dialogs.QueueCreate(Entries("b123", "unit7"));
    log.CreateLogFile();
    ASSERT_TRUE(log.LogOpen());
  }
  std::string CompactedFileOf(const std::string& displayText) const {
    std::string out;
    size_t start = 0;
    while (start <= displayText.size()) {
      size_t end = displayText.find("\r\n", start);
      if (end == std::string::npos) end = displayText.size();
      out += CompactLine(displayText.substr(start, end - start)) + "\r\n";
      start = end + 2;
    }
    return out;
  }

  fs::path data;
  std::string model = "TDS 340";
  std::string logFolderName = "LOG340";
  RunState state;
  RecordingView view;
  ScriptedOperator technician;
  VirtualClock clock;
  ScriptedLogDialogs dialogs;
  ResultDisplay display{view, state, technician, clock};
  LogBook log{LogPlace{[this] { return data.string(); }, model, logFolderName},
              display,
              view,
              state,
              technician,
              dialogs,
              [] { return LogStamp{"2024-03-14", "09:26:53"}; }};
  TestFrame frame{state, view, display, technician, clock};
};

TEST_F(LogBookTest, CreateMakesTheFolderWritesHeaderAndFreshStatusFile) {
  // A first log makes the model's folder without asking.
  dialogs.QueueCreate(Entries("b123", "unit7"));
  log.CreateLogFile();

  ASSERT_TRUE(log.LogOpen());
  std::string header = Header("B123");
  EXPECT_EQ(Bytes(Folder() / "unit7.log"), CompactedFileOf(display.Text()));
  EXPECT_EQ(display.Text(), header);
  EXPECT_EQ(Bytes(Folder() / "unit7.tst"), kNotRun);
  EXPECT_EQ(view.State(ui::kCreateLogFile), "disabled");
  EXPECT_EQ(view.State(ui::kAppendLogFile), "disabled");
  EXPECT_EQ(view.State(ui::kCloseLogFile), "enabled");
  EXPECT_EQ(view.State(ui::kClearTests), "disabled");
  EXPECT_EQ(view.State(ui::kClearTests2), "disabled");
  EXPECT_EQ(view.State(ui::kPrintStart), "enabled");
  EXPECT_EQ(view.StatusLines().size(), 6u);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(LogBookTest, CreateStopsAtEveryNoAndCancel) {
  display.PrintScreen("earlier result");
  technician.Expect(kClearQuestion, 36, "Create Log File", kNo);
  log.CreateLogFile();  // the clear question answered No

  // A folder that cannot be made (a file stands in its place) is asked about; No stops, Yes
  // tries once more and says why it failed.
  std::ofstream(Folder()) << "in the way";
  technician.Expect(kClearQuestion, 36, "Create Log File", kYes)
      .Expect("The Log Folder LOG340 doesn't exist.\nDo you want to create it ?", 20, "Folder Error", kNo);
  log.CreateLogFile();
  technician.Expect(kClearQuestion, 36, "Create Log File", kYes)
      .Expect("The Log Folder LOG340 doesn't exist.\nDo you want to create it ?", 20, "Folder Error", kYes)
      .ExpectContaining("The Log Folder LOG340 cannot be created:", 16, "Folder Error", kOk);
  log.CreateLogFile();
  EXPECT_FALSE(fs::is_directory(Folder()));
  EXPECT_EQ(dialogs.createShown, 0);
  fs::remove(Folder());

  fs::create_directories(Folder());
  technician.Expect(kClearQuestion, 36, "Create Log File", kYes);
  log.CreateLogFile();  // the dialog cancelled
  EXPECT_EQ(dialogs.createShown, 1);

  std::ofstream(Folder() / "unit7.log") << "old";
  dialogs.QueueCreate(Entries("b123", "unit7"));
  technician.Expect(kClearQuestion, 36, "Create Log File", kYes)
      .Expect("The Log File unit7 already exists.\nDo you want to overwrite it ?", 20, "File Error", kNo);
  log.CreateLogFile();
  EXPECT_EQ(log.LogFileName(), "");
  EXPECT_EQ(log.SerialText(), "");
  EXPECT_EQ(Bytes(Folder() / "unit7.log"), "old");

  EXPECT_FALSE(log.LogOpen());
  EXPECT_EQ(display.Text(), "earlier result");
  EXPECT_TRUE(technician.ExpectAllConsumed());

  logFolderName.clear();
  technician.Expect(kClearQuestion, 36, "Create Log File", kYes)
      .Expect("Instrument type not defined", 16, "Create Log File Error", kOk);
  log.CreateLogFile();
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(LogBookTest, OverwriteYesReplacesTheOldLogAndIdModeSaysId) {
  fs::create_directories(Folder());
  std::ofstream(Folder() / "rack.log") << "old content that must go\r\n";
  dialogs.QueueCreate(Entries("rack 4", "rack", true));
  technician.Expect("The Log File rack already exists.\nDo you want to overwrite it ?", 20, "File Error", kYes);
  log.CreateLogFile();
  ASSERT_TRUE(log.LogOpen());
  EXPECT_EQ(Bytes(Folder() / "rack.log").rfind(CompactLine("Performance Verification of TDS 340, ID: RACK 4") + "\r\n", 0), 0u);
}

TEST_F(LogBookTest, EveryShownLineIsInTheLogAndAFailedTestReachesTheStatusFile) {
  CreateUnit7();
  technician.Expect("Test Failed.              \n\nDisconnect all input signals.", 64,
                    "Analog Bandwidth / End of Test", kOk);
  frame.Run(kTestBandwidth, {"", nullptr, [this](StopToken) {
                               display.PrintFirst("CH1", "  VERTICAL SCALE      MEASURED        LIMIT");
                               display.PrintScreen("     5 mV    -3.2 dB   -3 dB   FAIL");
                               // before the test ends
                               EXPECT_EQ(Bytes(Folder() / "unit7.log"), CompactedFileOf(display.Text()));
                               return TestOutcome::Failed;
                             }});
  EXPECT_EQ(Bytes(Folder() / "unit7.tst"), " 0  0 -1  0  0 ");

  // New rows keep the clear commands off while the log is open.
  display.PrintScreen("later");
  EXPECT_EQ(view.State(ui::kClearTests), "disabled");
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(LogBookTest, CloseAsksAndOnlyYesCloses) {
  CreateUnit7();
  technician.Expect("Do you really want to close logfile: unit7", 36, "Close Log File", kNo);
  log.CloseLogFile();
  EXPECT_TRUE(log.LogOpen());
  technician.Expect("Do you really want to close logfile: unit7", 36, "Close Log File", kYes);
  log.CloseLogFile();
  EXPECT_FALSE(log.LogOpen());
  EXPECT_EQ(view.State(ui::kCreateLogFile), "enabled");
  EXPECT_EQ(view.State(ui::kAppendLogFile), "enabled");
  EXPECT_EQ(view.State(ui::kCloseLogFile), "disabled");
  EXPECT_EQ(view.State(ui::kClearTests), "enabled");
  display.PrintScreen("not logged");
  EXPECT_EQ(Bytes(Folder() / "unit7.log"), CompactedFileOf(Header("B123")));
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(LogBookTest, AppendShowsTheTranscriptByteForByteAndGoesOnWritingIt) {
  CreateUnit7();
  state.CurrentTest = kTestOffsetZero;
  display.PrintFirst("Test ACQ / 1 of 3", "  CH   VERTICAL SCALE   MEASURED      LIMIT");
  display.PrintScreen("  CH1     2 mV          0.1 mV      \xB1 0.4 mV    PASS");
  display.PrintScreen("        120 \xB5V          ");
  state.TestStatus[1] = TestOutcome::Passed;
  log.WriteStatusFile();
  std::string shown = display.Text();
  technician.Expect("Do you really want to close logfile: unit7", 36, "Close Log File", kYes);
  log.CloseLogFile();

  state.TestStatus = {};
  display.ClearDisplay();
  dialogs.QueueOpen("unit7");
  log.AppendLogFile();
  ASSERT_TRUE(log.LogOpen());
  EXPECT_EQ(display.Text(), shown);
  EXPECT_EQ(state.TestStatus[1], TestOutcome::Passed);
  EXPECT_EQ(dialogs.openFolders, std::vector<std::string>{Folder().string()});
  EXPECT_EQ(view.State(ui::kPrintStart), "enabled");
  EXPECT_EQ(view.State(ui::kCloseLogFile), "enabled");
  EXPECT_EQ(view.State(ui::kAppendLogFile), "disabled");

  display.PrintScreen("appended");
  EXPECT_EQ(Bytes(Folder() / "unit7.log"), CompactedFileOf(display.Text()));
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(LogBookTest, AppendReadsAHandMadeWindowsLog) {
  fs::create_directories(Folder());
  std::ofstream(Folder() / "old.log", std::ios::binary)
      << "Performance Verification of TDS 340, S/N: B0" << "\r\n\r\n" << CompactLine("  5 mV     MEASURED     \xB1 0.4 mV   PASS")
      << "\r\n";
  std::ofstream(Folder() / "old.tst", std::ios::binary) << " 1 -1  0  1  0 ";
  dialogs.QueueOpen("old");
  log.AppendLogFile();
  ASSERT_TRUE(log.LogOpen());
  EXPECT_EQ(display.Text(), "Performance Verification of TDS 340, S/N: B0\r\n\r\n  5 mV     MEASURED     \xB1 0.4 mV   PASS");
  EXPECT_EQ(view.StatusLines()[1], StatusLine("DC Voltage Measurement", TestOutcome::Failed));
  EXPECT_EQ(view.Counter(0), "2");
  // New rows belong to the scope the header names.
  EXPECT_EQ(log.SerialText(), "B0");
}

// What the header says is what the runs after Import/Append are stored under; a field left to
// be filled in by hand is no name.
TEST(LogHeader, SerialOrIdOperatorAndComments) {
  const LogHeaderFacts filled = ReadLogHeader(
      "Performance Verification of TDS 340, ID: Rack 4 / B7\r\n\r\nDate & Time: 1/2/2024, 09:26\r\n\r\n"
      "Operator: Jo\r\n\r\nComments: as found\r\n\r\nOperator: not the header");
  EXPECT_EQ(filled.serial, "Rack 4 / B7");
  EXPECT_EQ(filled.operatorName, "Jo");
  EXPECT_EQ(filled.comments, "as found");
  const LogHeaderFacts blank = ReadLogHeader("Performance Verification of TDS 340, S/N: " + std::string(28, '_') +
                                             "\r\n\r\nOperator: " + std::string(62, '_'));
  EXPECT_EQ(blank.serial, "");
  EXPECT_EQ(blank.operatorName, "");
  EXPECT_EQ(ReadLogHeader("no header at all").serial, "");
}

// Another run has the log open: this one is told so and does not touch it.
TEST_F(LogBookTest, ALogHeldByAnotherRunIsRefused) {
  CreateUnit7();
  const std::string before = Bytes(Folder() / "unit7.log");
  LogBook other{LogPlace{[this] { return data.string(); }, model, logFolderName},
                display,
                view,
                state,
                technician,
                dialogs,
                [] { return LogStamp{"2024-03-14", "09:26:53"}; }};
  dialogs.QueueOpen("unit7");
  technician.Expect(kClearQuestion, 36, "Create Log File", kYes)
      .Expect("The Log File unit7.log is in use by another run of the program.", 16, "File Error", kOk);
  other.AppendLogFile();
  EXPECT_FALSE(other.LogOpen());
  EXPECT_EQ(other.OpenRefusal(), Text8File::Refusal::InUse);
  // Nor may it be overwritten while held.
  dialogs.QueueCreate(Entries("b9", "unit7"));
  technician.Expect(kClearQuestion, 36, "Create Log File", kYes)
      .Expect("The Log File unit7 already exists.\nDo you want to overwrite it ?", 20, "File Error", kYes)
      .Expect("The Log File unit7.log is in use by another run of the program.", 16, "File Error", kOk);
  other.CreateLogFile();
  EXPECT_FALSE(other.LogOpen());
  EXPECT_EQ(Bytes(Folder() / "unit7.log"), before);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(LogBookTest, AppendWithoutStatusFileAsksYesKeepsNoLeavesNoLog) {
  fs::create_directories(Folder());
  std::ofstream(Folder() / "u.log", std::ios::binary) << "line\r\n";
  const std::string question =
      "The file u.tst which contains the PASS/FAIL data is missing or corrupt\n\nDo you wish keep the Test data anyway "
      "and append to u.log?";
  state.TestStatus[2] = TestOutcome::Failed;
  dialogs.QueueOpen("u");
  technician.Expect(question, 4, "File Error", kNo);
  log.AppendLogFile();
  EXPECT_FALSE(log.LogOpen());
  EXPECT_EQ(display.Text(), "");
  EXPECT_EQ(state.TestStatus[2], TestOutcome::NotRun);
  EXPECT_EQ(view.Counter(2), "5");

  dialogs.QueueOpen("u");
  technician.Expect(question, 4, "File Error", kYes);
  log.AppendLogFile();
  EXPECT_TRUE(log.LogOpen());
  EXPECT_EQ(display.Text(), "line");
  log.WriteStatusFile();
  EXPECT_EQ(Bytes(Folder() / "u.tst"), kNotRun);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(LogBookTest, AppendFailuresLeaveTheDisplayAlone) {
  technician.Expect(Folder().string() + " Doesn't exist.", 1, "Folder Error", kOk);
  log.AppendLogFile();
  EXPECT_EQ(view.State(ui::kAppendLogFile), "disabled");

  fs::create_directories(Folder());
  display.PrintScreen("kept");
  technician.Expect(kClearQuestion, 36, "Create Log File", kYes)
      .Expect("The file gone.log is missing or corrupt", 1, "File Error", kOk);
  dialogs.QueueOpen("gone");
  log.AppendLogFile();
  EXPECT_FALSE(log.LogOpen());
  EXPECT_EQ(display.Text(), "kept");

  // Binary rubbish and an overlong line still read back, byte for byte.
  std::string rubbish = std::string("\x00\x01\xFF\x1A", 4) + std::string(100000, 'x');
  std::ofstream(Folder() / "bin.log", std::ios::binary) << rubbish;
  std::ofstream(Folder() / "bin.tst", std::ios::binary) << kNotRun;
  technician.Expect(kClearQuestion, 36, "Create Log File", kYes);
  dialogs.QueueOpen("bin");
  log.AppendLogFile();
  EXPECT_TRUE(log.LogOpen());
  EXPECT_EQ(display.Text(), ExpandLine(rubbish));
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(LogBookTest, AWriteErrorIsReportedOnceAndTheRunGoesOn) {
  fs::create_directories(Folder());
  fs::create_symlink("/dev/full", Folder() / "full.log");
  dialogs.QueueCreate(Entries("b1", "full"));
  technician.Expect("The Log File full already exists.\nDo you want to overwrite it ?", 20, "File Error", kYes)
      .ExpectContaining("The Log File full.log could not be written:\n", 48, "File Error", kOk);
  log.CreateLogFile();
  EXPECT_FALSE(log.LogOpen());
  EXPECT_FALSE(fs::exists(Folder() / "full.tst"));
  display.PrintScreen("next row");
  // The display kept the whole header and what followed.
  EXPECT_EQ(display.Text(), Header("B1") + "\r\nnext row");
  EXPECT_EQ(view.State(ui::kCreateLogFile), "enabled");
  EXPECT_EQ(view.State(ui::kCloseLogFile), "disabled");
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(LogBookTest, AStatusFileThatCannotBeReplacedIsReportedOnce) {
  CreateUnit7();
  fs::remove(Folder() / "unit7.tst");
  fs::create_directory(Folder() / "unit7.tst");  // in the way of the new file
  technician.ExpectContaining("The file unit7.tst which contains the PASS/FAIL data could not be written:", 48,
                              "File Error", kOk);
  log.WriteStatusFile();
  log.WriteStatusFile();
  EXPECT_TRUE(log.LogOpen());
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(LogBookTest, FullSequenceAsksForALogAndTheLogExpandsToTheDisplay) {
  fs::create_directories(Folder());
  state.CurrentTest = kTestOffsetZero;
  frame.Hooks().Tests[kTestOffsetZero] = [this] {
    frame.Run(kTestOffsetZero, {"", nullptr,
                                [this](StopToken) {
                                  display.PrintFirst("Test ACQ / 1 of 3", "  CH   VERTICAL SCALE   MEASURED      LIMIT");
                                  display.PrintScreen("  CH1     2 mV          0.1 mV      \xB1 0.4 mV    PASS");
                                  return TestOutcome::Passed;
                                },
                                InputsConnected::No});
  };
  dialogs.QueueCreate(Entries("b123", "unit7"));
  technician.Expect("You have selected to do a Full Sequence PV of the TDS 340.\nAre you sure you want to continue ?", 36,
                    "Adjust", kYes)
      .Expect("Logging has not been selected.\nDo you want to create a Log File ?", 36, "Log File", kYes)
      // Only one of the five tests ran here: a sequence with tests left N/A has not passed.
      .Expect("Full Sequence Failed.", 48, "End of Full Sequence", kOk);
  frame.FullSequence(model);
  ASSERT_TRUE(log.LogOpen());
  EXPECT_EQ(TranscriptFromLog(Bytes(Folder() / "unit7.log")), display.Text());
  EXPECT_EQ(Bytes(Folder() / "unit7.tst"), " 1  0  0  0  0 ");
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(LogBookTest, AKilledRunLeavesALogThatAppendsWithEveryShownLine) {
  fs::create_directories(Folder());
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dialogs.QueueCreate(Entries("k1", "killed"));
    log.CreateLogFile();
    for (int i = 0; i < 50; ++i) display.PrintScreen("row " + std::to_string(i) + "        PASS");
    char c = 'x';
    (void)!::write(ready[1], &c, 1);
    for (;;) ::pause();
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);

  dialogs.QueueOpen("killed");
  log.AppendLogFile();
  ASSERT_TRUE(log.LogOpen());
  EXPECT_EQ(display.Text().rfind("row 49        PASS"), display.Text().size() - 18);
  EXPECT_EQ(display.Text().rfind("Performance Verification of TDS 340, S/N: K1", 0), 0u);
}

TEST_F(LogBookTest, ProgramEndClosesWithoutAsking) {
  CreateUnit7();
  log.CloseFiles();
  EXPECT_FALSE(log.LogOpen());
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

}  // namespace
}  // namespace veridane
