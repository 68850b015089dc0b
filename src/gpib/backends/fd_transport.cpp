#include "gpib/backends/fd_transport.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>

namespace veridane {

FdTransport::FdTransport(int fd, std::string where) : fd_(fd), where_(std::move(where)) {
  struct stat info {};
  socket_ = fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISSOCK(info.st_mode);
}

FdTransport::~FdTransport() {
  if (fd_ >= 0) ::close(fd_);
}

bool FdTransport::Failed(const std::string& what) {
  lastError_ = what + " on " + where_ + ": " + std::strerror(errno);
  return false;
}

double FdTransport::Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool FdTransport::Write(std::string_view bytes) {
  if (fd_ < 0) return false;
  size_t sent = 0;
  while (sent < bytes.size()) {
    // Writing to a socket whose peer has gone would raise SIGPIPE and end the program without a
    // word; sent without the signal, it fails here and the link is reported as lost.
    ssize_t n = socket_ ? ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL)
                        : ::write(fd_, bytes.data() + sent, bytes.size() - sent);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // The link is slower than we write; a stalled link for seconds is a broken one.
      pollfd p{fd_, POLLOUT, 0};
      int ready = ::poll(&p, 1, 5000);
      if (ready > 0 && (p.revents & POLLOUT)) continue;
      if (ready == 0) errno = ETIMEDOUT;
      return Failed("Writing failed");
    }
    return Failed("Writing failed");
  }
  return true;
}

bool FdTransport::Read(std::string& into, double seconds) {
  if (fd_ < 0) return false;
  const double until = Now() + std::max(seconds, 0.0);
  // A wait begins with poll(): an answer is rarely there the moment it is asked for, and a
  // read that finds nothing would only cost a call.
  bool wait = seconds > 0;
  while (true) {
    if (wait) {
      const double left = until - Now();
      if (left <= 0) return true;
      pollfd p{fd_, POLLIN, 0};
      int ready = ::poll(&p, 1, static_cast<int>(std::ceil(left * 1000)));
      if (ready < 0 && errno == EINTR) continue;
      if (ready < 0) return Failed("Waiting failed");
      if (ready == 0) return true;
      if (p.revents & (POLLERR | POLLNVAL)) {
        errno = EIO;
        return Failed("The link failed");
      }
      // POLLHUP with nothing left to read shows as a read of 0 bytes below.
    }
    char chunk[65536];
    ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n > 0) {
      into.append(chunk, static_cast<size_t>(n));
      return true;
    }
    if (n == 0) {
      errno = ECONNRESET;
      return Failed("The link was closed");
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return Failed("Reading failed");
    if (seconds <= 0) return true;
    wait = true;
  }
}

void FdTransport::Discard() {
  if (fd_ < 0) return;
  char chunk[4096];
  while (::read(fd_, chunk, sizeof chunk) > 0) {
  }
}

}  // namespace veridane
