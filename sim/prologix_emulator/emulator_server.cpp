#include "sim/prologix_emulator/emulator_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <thread>

namespace veridane::sim {

namespace {

// How often a waiting thread looks whether the server is stopping.
constexpr int kStopCheckMs = 100;

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Writes everything; a host that went away loses the rest, which it no longer waits for (and
// must not end the process that serves it with SIGPIPE).
void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == ENOTSOCK) n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

// How long the pieces of an answer are apart: long enough to reach the host separately.
constexpr auto kPiecePause = std::chrono::milliseconds(2);
constexpr size_t kMostCuts = 32;

double Seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::vector<size_t> AwkwardCuts(std::string_view answer) {
  std::vector<size_t> cuts;
  auto cut = [&](size_t at) {
    if (at > 0 && at < answer.size() && cuts.size() < kMostCuts) cuts.push_back(at);
  };
  cut(answer.size() / 2);
  for (size_t i = 0; i + 1 < answer.size(); ++i) {
    if (answer[i] == '\x04') cut(i + 1);
    if (answer[i] == '#' && answer[i + 1] >= '0' && answer[i + 1] <= '9') {
      cut(i + 1);
      cut(i + 2);
    }
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  return cuts;
}

EmulatorServer::EmulatorServer(BenchFactory factory, AdapterPersonality personality, EmulatorMode mode)
    : factory_(std::move(factory)), personality_(std::move(personality)), mode_(mode) {}

EmulatorServer::~EmulatorServer() {
  stopping_ = true;
  Reap(true);
  if (listenFd_ >= 0) ::close(listenFd_);
  if (ptyKeeper_ >= 0) ::close(ptyKeeper_);
  if (ptyMaster_ >= 0) ::close(ptyMaster_);
}

bool EmulatorServer::ListenTcp(int port, std::string& error) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) {
    error = Reason("socket");
    return false;
  }
  const int yes = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd_, 8) != 0) {
    error = Reason("bind");
    return false;
  }
  socklen_t length = sizeof address;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
  tcpPort_ = ntohs(address.sin_port);
  return true;
}

bool EmulatorServer::OpenPty(std::string& error) {
  ptyMaster_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (ptyMaster_ < 0 || ::grantpt(ptyMaster_) != 0 || ::unlockpt(ptyMaster_) != 0) {
    error = Reason("pseudo-terminal");
    return false;
  }
  const char* name = ::ptsname(ptyMaster_);
  if (name == nullptr) {
    error = Reason("ptsname");
    return false;
  }
  ptyPath_ = name;
  ptyKeeper_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (ptyKeeper_ < 0) {
    error = Reason(name);
    return false;
  }
  // Raw bytes both ways: no echo, no CR/LF translation, no line editing.
  termios settings{};
  ::tcgetattr(ptyKeeper_, &settings);
  ::cfmakeraw(&settings);
  ::tcsetattr(ptyKeeper_, TCSANOW, &settings);
  if (!mode_.sharedBench) ptyBench_ = factory_();
  if (!mode_.sharedBench ? !ptyBench_ : !SharedBench()) {
    error = "the bench cannot be opened";
    return false;
  }
  return true;
}

ServedBench* EmulatorServer::SharedBench() {
  std::lock_guard<std::mutex> hold(sharedLock_);
  if (!sharedBench_) sharedBench_ = factory_();
  return sharedBench_.get();
}

void EmulatorServer::Run(int fd, ServedBench& bench, const std::string& version, bool ownsFd) {
  PrologixSession::Reply reply = [fd](std::string_view bytes) { WriteAll(fd, bytes); };
  if (mode_.inPieces) {
    reply = [fd](std::string_view bytes) {
      size_t from = 0;
      for (size_t cut : AwkwardCuts(bytes)) {
        WriteAll(fd, bytes.substr(from, cut - from));
        std::this_thread::sleep_for(kPiecePause);
        from = cut;
      }
      WriteAll(fd, bytes.substr(from));
    };
  }
  PrologixSession session(bench.Bus(), bench.Clock(), std::move(reply), version, personality_.ar488);
  char buffer[4096];
  while (!stopping_) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, kStopCheckMs);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0 && mode_.sharedBench) {
      std::lock_guard<std::mutex> hold(sharedLock_);
      session.Feed(std::string_view(buffer, static_cast<size_t>(n)));
    } else if (n > 0) {
      session.Feed(std::string_view(buffer, static_cast<size_t>(n)));
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
      // The pseudo-terminal reads EIO while no host has it open: wait for the next one.
      if (!ownsFd) {
        ::poll(nullptr, 0, kStopCheckMs);
        continue;
      }
      break;
    }
  }
  if (ownsFd) ::close(fd);
}

void EmulatorServer::Reap(bool all) {
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (all || it->done) {
      if (it->thread.joinable()) it->thread.join();
      it = connections_.erase(it);
    } else {
      ++it;
    }
  }
}

void EmulatorServer::Serve(double seconds, const std::function<bool()>& stop) {
  stopping_ = false;
  const double deadline = seconds < 0 ? -1 : Seconds() + seconds;
  ServedBench* ptyBench = mode_.sharedBench ? SharedBench() : ptyBench_.get();
  if (ptyMaster_ >= 0 && ptyBench) {
    Connection& pty = connections_.emplace_back();
    pty.thread = std::thread([this, &pty, ptyBench] {
      Run(ptyMaster_, *ptyBench, personality_.ptyVersion, false);
      pty.done = true;
    });
  }
  for (;;) {
    if (stop && stop()) break;
    int waitMs = kStopCheckMs;
    if (deadline >= 0) {
      const double left = deadline - Seconds();
      if (left <= 0) break;
      waitMs = std::min(waitMs, static_cast<int>(left * 1000) + 1);
    }
    pollfd p{listenFd_, POLLIN, 0};
    const int ready = ::poll(&p, listenFd_ >= 0 ? 1 : 0, waitMs);
    if (ready < 0 && errno != EINTR) break;
    Reap(false);
    if (ready <= 0 || !(p.revents & POLLIN)) continue;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    Connection& connection = connections_.emplace_back();
    connection.thread = std::thread([this, fd, &connection] {
      if (mode_.sharedBench) {
        if (ServedBench* shared = SharedBench()) {
          Run(fd, *shared, personality_.tcpVersion, true);
        } else {
          ::close(fd);
        }
      } else if (std::unique_ptr<ServedBench> bench = factory_()) {
        // The bench is switched on for this host alone.
        Run(fd, *bench, personality_.tcpVersion, true);
      } else {
        ::close(fd);
      }
      connection.done = true;
    });
  }
  stopping_ = true;
  Reap(true);
}

}  // namespace veridane::sim
