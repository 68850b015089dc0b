// `--parlex` end to end on the simulated benches: the bench opened from the command line, the
// listeners found on the bus, lines from standard input or a script, and the exit codes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text8_file.h"
#include "shell/command_line.h"
#include "shell/exit_codes.h"
#include "test/support/shell_fakes.h"
#include "test/support/test_backends.h"
#include "ui/console/console_parlex.h"
#include "ui/console/parlex_terminal.h"

namespace veridane::testing {
namespace {

struct TerminalResult {
  int code = -1;
  std::string out;
  std::string err;
};

TerminalResult RunTerminal(const std::vector<std::string>& args, const ScratchFolder& root, const std::string& input) {
  MemorySettings settings;
  std::istringstream in(input);
  std::ostringstream out, err;
  const CommandLine options = ParseCommandLine(args);
  EXPECT_TRUE(options.errors.empty());
  TerminalResult result;
  result.code = RunParlexTerminal(TestBackends(), options, settings, Paths(root.String()), in, false, out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

TEST(ParlexTerminal, AnswersComeWithTheirAddressFromTheChosenListener) {
  ScratchFolder root("parlex-terminal");
  TerminalResult r = RunTerminal({"--parlex", "--bench", "sim"}, root, "ID?\n:addr 7\nID?\n");
  EXPECT_EQ(r.code, kExitPassed) << r.err;
  EXPECT_NE(r.out.find("Listeners: 1 5 6 7 8 11 12\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("01: ID TEK/TDS 340"), std::string::npos) << r.out;
  // The calibrator answers every query with its reading.
  EXPECT_NE(r.out.find("Address 7\n07: 0.\n"), std::string::npos) << r.out;
  // The history goes with the simulated bench's files, never with a real bench's.
  std::string history, error;
  ASSERT_TRUE(ReadText8File(root.String() + "/Veridane/Simulated/Parlex/" + kParlexHistoryFile, history, error)) << error;
  EXPECT_EQ(history, "ID?\r\nID?\r\n");
}

// Input that is no typed message (a line without end, as from /dev/zero) ends the session
// instead of filling the memory; the history is trimmed before it outgrows what is recalled.
TEST(ParlexTerminal, EndlessLinesEndTheSessionAndTheHistoryStaysBounded) {
  ScratchFolder root("parlex-bounded");
  TerminalResult endless =
      RunTerminal({"--parlex", "--bench", "sim"}, root, "ID?\n" + std::string(kParlexLineLimit + 10, 'x'));
  EXPECT_EQ(endless.code, kExitFailed);
  EXPECT_NE(endless.err.find("A line of more than 65536 characters came in"), std::string::npos) << endless.err;
  EXPECT_NE(endless.out.find("01: ID TEK/TDS 340"), std::string::npos) << "the lines before it were sent";

  const std::string file = root.String() + "/Veridane/Simulated/Parlex/" + kParlexHistoryFile;
  std::string old;
  for (int i = 0; old.size() <= kParlexHistoryLimit; ++i) old += "line " + std::to_string(i) + "\r\n";
  { std::ofstream(file, std::ios::binary | std::ios::trunc) << old; }
  EXPECT_EQ(RunTerminal({"--parlex", "--bench", "sim"}, root, "ID?").code, kExitPassed);
  std::string history, error;
  ASSERT_TRUE(ReadText8File(file, history, error)) << error;
  EXPECT_LE(history.size(), kParlexHistoryLimit);
  EXPECT_TRUE(history.ends_with("\r\nID?\r\n"));
  EXPECT_EQ(history.rfind("line ", 0), 0u) << "whole lines are kept";
}

TEST(ParlexTerminal, AScriptInsteadOfTheInputAndAFailedMessage) {
  ScratchFolder root("parlex-script");
  const std::string script = root.String() + "/check.txt";
  std::ofstream(script, std::ios::binary) << ":syntax 9 status\r\nCH1:SCAX .5\r\n";
  TerminalResult r = RunTerminal({"--parlex", "--bench", "sim:tds350", "--script", script}, root, "ID?\n");
  EXPECT_EQ(r.code, kExitFailed) << r.err;
  EXPECT_NE(r.out.find("Syntax Error\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("ID TEK"), std::string::npos) << "standard input is not read with a script";
}

TEST(ParlexTerminal, AWrongBenchOrScriptIsACommandLineMistake) {
  ScratchFolder root("parlex-wrong");
  TerminalResult noScript = RunTerminal({"--parlex", "--script", root.String() + "/none.txt"}, root, "");
  EXPECT_EQ(noScript.code, kExitUsage);
  EXPECT_NE(noScript.err.find("none.txt cannot be read"), std::string::npos) << noScript.err;

  // A folder, an endless device or a FIFO nobody writes to is refused at once, before any bus.
  const std::string fifo = root.String() + "/script-fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const auto& [script, problem] : {std::pair<std::string, std::string>{root.String(), "is a folder"},
                                        {"/dev/zero", "is not a regular file"},
                                        {fifo, "is not a regular file"}}) {
    TerminalResult refused = RunTerminal({"--parlex", "--bench", "sim", "--script", script}, root, "ID?\n");
    EXPECT_EQ(refused.code, kExitUsage) << script;
    EXPECT_NE(refused.err.find(problem), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out, "") << script;
  }

  TerminalResult noBench = RunTerminal({"--parlex", "--bench", root.String() + "/missing.toml"}, root, "ID?\n");
  EXPECT_EQ(noBench.code, kExitUsage);
  EXPECT_EQ(noBench.out, "");
}

// Files that are not what a transfer needs end the transfer with a word, never a hang, an
// abort or a program that grows without end.
TEST(ParlexTerminal, TransfersRefuseWhatIsNotAPlainFileOfMessageSize) {
  ScratchFolder root("parlex-hostile-files");
  const std::string fifo = root.String() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_directory(root.Path() / "folder");
  const std::string big = root.String() + "/big.dat";
  std::ofstream(big, std::ios::binary).close();
  std::filesystem::resize_file(big, 17u << 20);  // a hole: no disk spent

  const std::pair<std::string, std::string> sends[] = {{root.String() + "/folder", "is a folder"},
                                                       {"/dev/zero", "is not a regular file"},
                                                       {fifo, "is not a regular file"},
                                                       {big, "is larger than 16 MB, too large for its kind"}};
  for (const auto& [file, problem] : sends) {
    TerminalResult r = RunTerminal({"--parlex", "--bench", "sim"}, root, ":addr 1\n:sendfile " + file + "\n");
    EXPECT_EQ(r.code, kExitFailed) << file << "\n" << r.err;
    EXPECT_NE(r.err.find("Can't read the file " + file + ": it " + problem), std::string::npos) << r.err;
  }

  TerminalResult toFifo = RunTerminal({"--parlex", "--bench", "sim"}, root, ":addr 1\n:tofile " + fifo + "\nID?\n");
  EXPECT_EQ(toFifo.code, kExitFailed) << toFifo.err;
  EXPECT_NE(toFifo.err.find("Can't write to the file " + fifo + ": it is not a regular file"), std::string::npos)
      << toFifo.err;

  // A plain file still goes as one message, and an answer still reaches a new file.
  const std::string setup = root.String() + "/setup.dat";
  std::ofstream(setup, std::ios::binary) << "CH1:SCA .5";
  const std::string answer = root.String() + "/answer.dat";
  TerminalResult fine = RunTerminal({"--parlex", "--bench", "sim"}, root,
                                    ":addr 1\n:sendfile " + setup + "\n:tofile " + answer + "\nCH1:SCA?\n");
  EXPECT_EQ(fine.code, kExitPassed) << fine.err;
  std::string content, error;
  ASSERT_TRUE(ReadText8File(answer, content, error)) << error;
  EXPECT_EQ(content, ":CH1:SCALE 5.0E-1\n");
}

}  // namespace
}  // namespace veridane::testing
