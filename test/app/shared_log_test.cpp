// Two runs of the program at once, as two technicians' scripts start them on one PC, and a
// report that cannot be written: what is kept, and what the exit codes say.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test/support/shell_fakes.h"

extern char** environ;

namespace veridane::testing {
namespace {

namespace fs = std::filesystem;

// The program started in the background with its data, settings and output in `home`.
pid_t Start(const fs::path& home, const std::string& name, const std::vector<std::string>& args) {
  std::vector<std::string> env = {"HOME=" + home.string(), "XDG_DATA_HOME=" + (home / "data").string(),
                                  "XDG_CONFIG_HOME=" + (home / "config").string(), "QT_QPA_PLATFORM=offscreen",
                                  "PATH=/usr/bin:/bin"};
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> all = {VERIDANE_PROGRAM};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, (home / (name + ".out")).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, 2, (home / (name + ".err")).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, VERIDANE_PROGRAM, &files, nullptr, argv.data(), envp.data()), 0);
  posix_spawn_file_actions_destroy(&files);
  return pid;
}

int ExitCode(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(TwoRunsAtOnce, OneGetsTheNewLogAndTheOtherIsToldItsName) {
  ScratchFolder home("two-runs");
  const std::vector<std::string> args = {"--headless", "--bench", "sim", "--run", "offset", "--log", "shared"};
  const pid_t a = Start(home.Path(), "a", args);
  const pid_t b = Start(home.Path(), "b", args);
  const int codes[] = {ExitCode(a), ExitCode(b)};
  const int winner = codes[0] == 0 ? 0 : 1;
  ASSERT_EQ(codes[winner], 0) << Bytes(home.Path() / "a.err") << Bytes(home.Path() / "b.err");
  EXPECT_EQ(codes[1 - winner], 4);
  const std::string loser = Bytes(home.Path() / (winner == 0 ? "b.err" : "a.err"));
  EXPECT_NE(loser.find("The log shared "), std::string::npos) << loser;
  // The winner's log is whole: its header and every row it printed.
  const std::string log = Bytes(home.Path() / "data" / "Veridane" / "Simulated" / "LOG340" / "shared.log");
  EXPECT_TRUE(log.starts_with("Performance Verification of TDS 340")) << log;
  EXPECT_EQ(Bytes(home.Path() / "data" / "Veridane" / "Simulated" / "LOG340" / "shared.tst"), " 1  0  0  0  0 ");
}

TEST(ReportOntoAFullDisk, EndsWithThreeAndSaysSo) {
  ScratchFolder home("print-full");
  const int code = ExitCode(Start(home.Path(), "p", {"--headless", "--bench", "sim", "--run", "offset", "--print", "/dev/full"}));
  EXPECT_EQ(code, 3);
  EXPECT_NE(Bytes(home.Path() / "p.err").find("could not be printed to /dev/full"), std::string::npos)
      << Bytes(home.Path() / "p.err");
}

}  // namespace
}  // namespace veridane::testing
