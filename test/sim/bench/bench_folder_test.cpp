// The simulated bench's temporary folder goes on every way out: with the bench, on SIGTERM and
// SIGINT, and (once stale) at the next start when its owner could not take it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/event_loop.h"
#include "sim/bench/bench.h"
#include "sim/bench/bench_folder.h"

namespace veridane::sim {
namespace {

namespace fs = std::filesystem;

TEST(BenchFolder, GoesWithTheBench) {
  VirtualClock clock;
  std::string folder;
  {
    auto bench = Bench::Open("default", clock);
    folder = bench->InstrumentDataFolder();
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::path(folder).filename().string().starts_with("veridane-bench-"));
    EXPECT_FALSE(fs::is_empty(folder)) << "the bench's instrument data is in it";
  }
  EXPECT_FALSE(fs::exists(folder));
}

// A child process that makes a folder, tells its path and is then ended by `signal`.
void EndedBySignal(int signal) {
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeFds[0]);
    BenchFolder folder;
    std::ofstream(fs::path(folder.Path()) / "SI5020.cfg") << "A:1\r\n";
    const std::string path = folder.Path() + "\n";
    if (::write(pipeFds[1], path.data(), path.size()) < 0) ::_exit(2);
    ::raise(signal);
    ::_exit(3);  // not reached: the signal ends it
  }
  ::close(pipeFds[1]);
  std::string path;
  char c = 0;
  while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') path += c;
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "still ended by the signal";
  EXPECT_FALSE(fs::exists(path)) << "left behind on signal " << signal;
}

TEST(BenchFolder, GoesWhenTheProcessIsEndedBySigtermOrSigint) {
  EndedBySignal(SIGTERM);
  EndedBySignal(SIGINT);
}

TEST(BenchFolder, OnlyStaleFoldersNobodyHoldsAreSwept) {
  const fs::path root = fs::temp_directory_path() / ("veridane-sweep-test-" + std::to_string(::getpid()));
  fs::create_directories(root);
  auto make = [&](const std::string& name, bool old) {
    fs::create_directories(root / name);
    std::ofstream(root / name / "file.dat") << "x";
    if (old) {
      const time_t twoDaysAgo = ::time(nullptr) - 2 * 24 * 3600;
      utimbuf times{twoDaysAgo, twoDaysAgo};
      ::utime((root / name).c_str(), &times);
    }
    return root / name;
  };
  const fs::path stale = make("veridane-bench-AAAAAA", true);
  const fs::path fresh = make("veridane-bench-BBBBBB", false);
  const fs::path held = make("veridane-bench-CCCCCC", true);
  const fs::path other = make("veridane-benchmark-x", true);
  const int lock = ::open(held.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(::flock(lock, LOCK_SH), 0);

  EXPECT_EQ(SweepStaleBenchFolders(root.string()), 1);
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(fresh)) << "not a day old";
  EXPECT_TRUE(fs::exists(held)) << "its owner still runs";
  EXPECT_TRUE(fs::exists(other)) << "not a bench folder";
  ::close(lock);
  std::error_code ignored;
  fs::remove_all(root, ignored);
}

}  // namespace
}  // namespace veridane::sim
