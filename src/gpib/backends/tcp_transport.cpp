#include "gpib/backends/tcp_transport.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "gpib/backends/fd_transport.h"

namespace veridane {

namespace {

class TcpTransport : public FdTransport {
 public:
  TcpTransport(int fd, const std::string& where) : FdTransport(fd, where) {}
};

// Connects within the time left; the errno of the failure otherwise (ETIMEDOUT for silence).
int Connect(int fd, const addrinfo& address, double seconds) {
  if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0) return 0;
  if (errno != EINPROGRESS) return errno;
  pollfd p{fd, POLLOUT, 0};
  int ready = ::poll(&p, 1, static_cast<int>(std::ceil(seconds * 1000)));
  if (ready == 0) return ETIMEDOUT;
  if (ready < 0) return errno;
  int result = 0;
  socklen_t length = sizeof result;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length) != 0) return errno;
  return result;
}

}  // namespace

std::unique_ptr<ByteTransport> OpenTcpTransport(const std::string& host, int port, std::string& error,
                                                double connectSeconds) {
  std::string where = (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + std::to_string(port);
  addrinfo hints {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (resolved != 0) {
    error = "The GPIB adapter's network name \"" + host + "\" is not known (" + ::gai_strerror(resolved) +
            "). Check the name or use its IP address.";
    return nullptr;
  }
  int lastError = ECONNREFUSED;
  for (addrinfo* a = found; a; a = a->ai_next) {
    int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      lastError = errno;
      continue;
    }
    lastError = Connect(fd, *a, connectSeconds);
    if (lastError == 0) {
      ::freeaddrinfo(found);
      int on = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      return std::make_unique<TcpTransport>(fd, where);
    }
    ::close(fd);
  }
  ::freeaddrinfo(found);
  if (lastError == ETIMEDOUT) {
    error = "The GPIB adapter at " + where + " does not answer. Check that it is powered, on the network, and at "
            "that address.";
  } else {
    error = "The GPIB adapter at " + where + " cannot be reached: " + std::strerror(lastError) +
            ". Check the address and the port (1234 for Prologix adapters).";
  }
  return nullptr;
}

}  // namespace veridane
