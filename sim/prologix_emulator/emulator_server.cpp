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

#include <cerrno>
#include <cstring>

namespace veridane::sim {

namespace {

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Writes everything; a host that went away loses the rest, which it no longer waits for.
void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

}  // namespace

EmulatorServer::~EmulatorServer() {
  for (Peer& peer : clients_) ::close(peer.fd);
  if (listenFd_ >= 0) ::close(listenFd_);
  if (ptyKeeper_ >= 0) ::close(ptyKeeper_);
  if (ptyMaster_ >= 0) ::close(ptyMaster_);
}

EmulatorServer::Peer EmulatorServer::MakePeer(int fd) {
  Peer peer;
  peer.fd = fd;
  peer.session = std::make_unique<PrologixSession>(bus_, clock_, [fd](std::string_view bytes) { WriteAll(fd, bytes); });
  return peer;
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
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd_, 4) != 0) {
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
  const int master = ptyMaster_;
  ptySession_ =
      std::make_unique<PrologixSession>(bus_, clock_, [master](std::string_view bytes) { WriteAll(master, bytes); });
  return true;
}

void EmulatorServer::Serve(double seconds, const std::function<bool()>& stop) {
  const double deadline = seconds < 0 ? -1 : clock_.Now() + seconds;
  char buffer[4096];
  for (;;) {
    std::vector<pollfd> fds;
    if (listenFd_ >= 0) fds.push_back({listenFd_, POLLIN, 0});
    if (ptyMaster_ >= 0) fds.push_back({ptyMaster_, POLLIN, 0});
    for (const Peer& peer : clients_) fds.push_back({peer.fd, POLLIN, 0});
    int waitMs = -1;
    if (deadline >= 0) {
      const double left = deadline - clock_.Now();
      if (left <= 0) return;
      waitMs = static_cast<int>(left * 1000) + 1;
    }
    const int ready = ::poll(fds.data(), fds.size(), waitMs);
    if (ready < 0 && errno != EINTR) return;
    if (stop && stop()) return;
    if (ready <= 0) continue;
    size_t index = 0;
    if (listenFd_ >= 0) {
      if (fds[index].revents & POLLIN) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
          const int yes = 1;
          ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
          clients_.push_back(MakePeer(fd));
        }
      }
      ++index;
    }
    if (ptyMaster_ >= 0) {
      if (fds[index].revents & POLLIN) {
        const ssize_t n = ::read(ptyMaster_, buffer, sizeof buffer);
        if (n > 0) ptySession_->Feed(std::string_view(buffer, static_cast<size_t>(n)));
      }
      ++index;
    }
    // Clients accepted in this round have no entry yet; they are served from the next one.
    const size_t polledClients = fds.size() - index;
    for (size_t i = 0; i < polledClients; ++i) {
      Peer& peer = clients_[i];
      if (!(fds[index + i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = ::read(peer.fd, buffer, sizeof buffer);
      if (n > 0) {
        peer.session->Feed(std::string_view(buffer, static_cast<size_t>(n)));
      } else if (n == 0 || errno != EINTR) {
        ::close(peer.fd);
        peer.fd = -1;
      }
    }
    std::erase_if(clients_, [](const Peer& peer) { return peer.fd < 0; });
  }
}

}  // namespace veridane::sim
