#include "test/e2e/backends/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace veridane::testing {

namespace {

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env, const std::string& stderrFile) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return;
  const pid_t parent = ::getpid();
  pid_ = ::fork();
  if (pid_ == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(126);
    ::dup2(out[1], 1);
    const int err = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err >= 0) ::dup2(err, 2);
    const int in = ::open("/dev/null", O_RDONLY);
    if (in >= 0) ::dup2(in, 0);
    for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  out_ = out[0];
}

ChildProcess::~ChildProcess() {
  Kill();
  if (out_ >= 0) ::close(out_);
}

void ChildProcess::Kill() {
  if (pid_ <= 0) return;
  // Asked to end first, as Ctrl+C would ask it, so that it takes its temporary folders with
  // it; killed when it has not ended within two seconds.
  ::kill(pid_, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    ::usleep(10000);
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

bool ChildProcess::ReadLine(std::string& line, double seconds) {
  const double deadline = Seconds() + seconds;
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return true;
    }
    const double left = deadline - Seconds();
    if (left <= 0 || out_ < 0) return false;
    pollfd fd{out_, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(left * 1000) + 1) <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(out_, buffer, sizeof buffer);
    if (n <= 0) return false;
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

int ChildProcess::Finish(std::string& output, double seconds) {
  output = std::move(pending_);
  pending_.clear();
  const double deadline = Seconds() + seconds;
  while (out_ >= 0) {
    const double left = deadline - Seconds();
    if (left <= 0) {
      Kill();
      return -1;
    }
    pollfd fd{out_, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(left * 1000) + 1) <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(out_, buffer, sizeof buffer);
    if (n <= 0) break;
    output.append(buffer, static_cast<size_t>(n));
  }
  // Its output closed; it may still be on its way out.
  int status = 0;
  while (::waitpid(pid_, &status, WNOHANG) == 0) {
    if (Seconds() > deadline) {
      Kill();
      return -1;
    }
    ::usleep(10000);
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace veridane::testing
