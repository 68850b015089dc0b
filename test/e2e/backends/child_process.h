#pragma once
// A program started by a test: its output on a pipe, a deadline on everything, and ended (by
// its own id: SIGTERM, then SIGKILL when it does not end) when the test lets go of it, so that
// no run leaves a process behind.
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace veridane::testing {

class ChildProcess {
 public:
  // Starts program with args; env entries are set in the child on top of the test's own.
  // The child dies with the test process.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env = {}, const std::string& stderrFile = "/dev/null");
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  // The next output line (without its LF) within `seconds`; false at the end or on time-out.
  bool ReadLine(std::string& line, double seconds);
  // Everything it prints until it ends, and its exit code; -1 when it had to be killed
  // because it ran past `seconds`.
  int Finish(std::string& output, double seconds);

 private:
  void Kill();
  pid_t pid_ = -1;
  int out_ = -1;
  std::string pending_;
};

}  // namespace veridane::testing
