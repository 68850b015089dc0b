#include "test/support/hostile_adapter.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string_view>

namespace veridane::testing {

namespace {

constexpr char kEndChar = 4;

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// True when the host has sent something (which ends the answer being sent).
bool HostSpoke(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0;
}

}  // namespace

HostileAdapter::HostileAdapter(Mode mode, size_t hugeBytes) : mode_(mode), hugeBytes_(hugeBytes) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (listener_ >= 0 && ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::listen(listener_, 1) == 0) {
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  thread_ = std::thread([this] { Serve(); });
}

HostileAdapter::~HostileAdapter() {
  ::shutdown(listener_, SHUT_RDWR);  // a test that never connected must not hang in accept
  if (thread_.joinable()) thread_.join();
  ::close(listener_);
}

std::string HostileAdapter::Block() {
  std::string data;
  for (int i = 0; i < 2000; ++i) data += static_cast<char>(i % 7 == 0 ? kEndChar : i % 256);
  return "#42000" + data + "\n";
}

bool HostileAdapter::Answer(int fd) {
  if (mode_ == Mode::kBlockWithEndBytes) {
    // Every piece ends on a byte 4 and goes out on its own, as a slow link would split it.
    const std::string block = Block();
    size_t from = 0;
    for (size_t at = block.find(kEndChar); from < block.size(); at = block.find(kEndChar, from)) {
      const size_t to = at == std::string::npos ? block.size() : at + 1;
      if (!SendAll(fd, std::string_view(block).substr(from, to - from))) return false;
      sent_ += to - from;
      from = to;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return SendAll(fd, std::string(1, kEndChar));
  }
  const std::string chunk(64 * 1024, 'A');
  size_t left = mode_ == Mode::kHugeAnswer ? hugeBytes_ : SIZE_MAX;
  while (left > 0) {
    if (HostSpoke(fd)) return true;  // the host's next byte ends the read
    const size_t n = std::min(left, chunk.size());
    if (!SendAll(fd, std::string_view(chunk).substr(0, n))) return false;
    sent_ += n;
    if (left != SIZE_MAX) left -= n;
  }
  return SendAll(fd, std::string("\n") + kEndChar);
}

void HostileAdapter::Serve() {
  const int fd = ::accept(listener_, nullptr, nullptr);
  if (fd < 0) return;
  std::string pending;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
    pending.append(buffer, static_cast<size_t>(n));
    for (size_t lf; (lf = pending.find('\n')) != std::string::npos;) {
      const std::string line = pending.substr(0, lf);
      pending.erase(0, lf + 1);
      bool ok = true;
      if (line == "++ver") ok = SendAll(fd, "Hostile GPIB-ETHERNET 1.0\r\n");
      if (line.starts_with("++spoll")) ok = SendAll(fd, "0\r\n");
      if (line.starts_with("++read") && !line.starts_with("++read_tmo_ms")) ok = Answer(fd);
      if (!ok) {
        ::close(fd);
        return;
      }
    }
  }
  ::close(fd);
}

}  // namespace veridane::testing
