// A headless run with a log, killed with SIGKILL in the middle of a test: the log it leaves
// reads back through the append flow and holds every row the run had shown.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "log/log_book.h"
#include "platform/event_loop.h"
#include "platform/text8.h"
#include "pv/frame/result_display.h"
#include "test/support/frame_fakes.h"
#include "test/support/scripted_log_dialogs.h"
#include "test/support/scripted_operator.h"
#include "test/support/shell_fakes.h"

namespace veridane::testing {
namespace {

namespace fs = std::filesystem;

// The program on a pipe that holds one page: once the test stops reading, the program can
// show at most that much more before its next row blocks, so it cannot run to its end before
// the kill arrives.
class HeadlessChild {
 public:
  HeadlessChild(const fs::path& home, const std::vector<std::string>& args) {
    int out[2];
    if (::pipe(out) != 0) return;
    ::fcntl(out[0], F_SETPIPE_SZ, 4096);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      const int err = ::open((home / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(err, 2);
      ::close(out[0]);
      ::close(out[1]);
      // Data, settings and the remembered bench stay inside the scratch folder.
      ::setenv("HOME", home.c_str(), 1);
      ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
      ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(VERIDANE_PROGRAM)};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      ::execv(VERIDANE_PROGRAM, argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    out_ = out[0];
  }
  ~HeadlessChild() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
  }

  // The next row the program printed; false at the end of its output.
  bool ReadRow(std::string& row) {
    row.clear();
    char c;
    while (::read(out_, &c, 1) == 1) {
      if (c == '\n') return true;
      row += c;
    }
    return false;
  }

  // Kills it and tells whether the kill ended it (rather than the run having ended first).
  bool Kill() {
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

TEST(KilledHeadlessRun, ItsLogAppendsWithEveryRowShown) {
  ScratchFolder home("killed-log");
  HeadlessChild child(home.Path(), {"--headless", "--bench", "sim", "--run", "full", "--log", "unit7", "--serial",
                                    "b123", "--technician", "virtual"});
  // Shown up to the kill: the header and the first result rows of the first test.
  std::string shown;
  std::string row;
  int results = 0;
  while (results < 3 && child.ReadRow(row)) {
    if (!shown.empty()) shown += "\r\n";
    shown += Text8FromUtf8(row);
    if (row.ends_with("PASS") || row.ends_with("FAIL")) ++results;
  }
  ASSERT_EQ(results, 3) << "the run showed too few rows:\n" << shown;
  ASSERT_TRUE(child.Kill()) << "the run ended before it was killed";

  const fs::path data = home.Path() / "data" / "Veridane" / "Simulated";
  ASSERT_TRUE(fs::exists(data / "LOG340" / "unit7.log"));
  const std::string model = "TDS 340";
  const std::string folderName = "LOG340";
  RunState state;
  RecordingView view;
  ScriptedOperator technician;
  VirtualClock clock;
  ScriptedLogDialogs dialogs;
  ResultDisplay display(view, state, technician, clock);
  LogBook log(LogPlace{[&] { return data.string(); }, model, folderName}, display, view, state, technician, dialogs,
              [] { return LogStamp{"2024-03-14", "09:26:53"}; });
  display.SetResultLog(&log);
  dialogs.QueueOpen("unit7");
  log.AppendLogFile();  // a damaged log or status file would ask here, and fail the test

  ASSERT_TRUE(log.LogOpen());
  EXPECT_EQ(display.Text().substr(0, shown.size()), shown);
  EXPECT_TRUE(display.Text().starts_with("Performance Verification of TDS 340, S/N: B123\r\n"));
  EXPECT_TRUE(technician.ExpectAllConsumed());
  log.CloseFiles();
}

}  // namespace
}  // namespace veridane::testing
