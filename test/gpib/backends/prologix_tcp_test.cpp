// A network adapter over a real TCP connection on the loopback interface.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "gpib/backends/real_backends.h"

namespace veridane {
namespace {

// A listening socket on 127.0.0.1 with a free port.
int Listen(int& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 1) != 0) {
    ADD_FAILURE() << "no loopback socket";
    return -1;
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

// Answers one connection as a network adapter with a scope at address 5 would, and records
// the lines it got.
class LoopbackAdapter {
 public:
  LoopbackAdapter() : listener_(Listen(port_)), thread_([this] { Serve(); }) {}
  ~LoopbackAdapter() {
    ::shutdown(listener_, SHUT_RDWR);  // a test that failed before connecting must not hang in accept
    Join();
    ::close(listener_);
  }
  int Port() const { return port_; }
  // Valid once the connection was closed.
  const std::vector<std::string>& Lines() const { return lines_; }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  void Serve() {
    int fd = ::accept(listener_, nullptr, nullptr);
    if (fd < 0) return;
    std::string pending;
    char chunk[256];
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;) {
      pending.append(chunk, static_cast<size_t>(n));
      for (size_t lf; (lf = pending.find('\n')) != std::string::npos;) {
        std::string line = pending.substr(0, lf);
        pending.erase(0, lf + 1);
        lines_.push_back(line);
        std::string answer;
        if (line == "++ver") answer = "Loopback GPIB-ETHERNET 1.0\r\n";
        if (line == "++read eoi") answer = std::string("TEK/TDS 340\n\x04");
        if (line == "++spoll 5") answer = "16\r\n";
        if (!answer.empty() && ::write(fd, answer.data(), answer.size()) < 0) break;
      }
    }
    ::close(fd);
  }

  int port_ = 0;
  int listener_;
  std::vector<std::string> lines_;
  std::thread thread_;
};

TEST(PrologixTcp, TalksToANetworkAdapterOverLoopback) {
  LoopbackAdapter server;
  std::string error;
  auto driver = OpenPrologix("prologix-tcp:127.0.0.1:" + std::to_string(server.Port()), error);
  ASSERT_TRUE(driver);
  ASSERT_EQ(error, "");
  int ud = driver->ibdev(0, 5, 0, 11, 1, 0);
  driver->ibwrt(ud, "ID?");
  std::string buffer(32, ' ');
  driver->ibrd(ud, buffer);
  EXPECT_EQ(driver->Status().ibsta, kCmpl | kEnd);
  EXPECT_EQ(buffer.substr(0, static_cast<size_t>(driver->Status().ibcntl)), "TEK/TDS 340\n");
  uint8_t poll = 0;
  driver->ibrsp(ud, poll);
  EXPECT_EQ(poll, 16);
  driver.reset();  // closes the connection, which ends the server
  server.Join();
  const std::vector<std::string>& lines = server.Lines();
  for (const char* line : {"++ver", "++mode 1", "++addr 5", "ID?", "++read eoi", "++spoll 5"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  }
}

TEST(PrologixTcp, ARefusedConnectionIsExplainedAndActsAsAMissingBoard) {
  int port = 0;
  int fd = Listen(port);
  ::close(fd);  // nobody listens there any more
  std::string error;
  auto driver = OpenPrologix("prologix-tcp:127.0.0.1:" + std::to_string(port), error);
  ASSERT_TRUE(driver);
  EXPECT_NE(error.find("The GPIB adapter at 127.0.0.1:" + std::to_string(port) + " cannot be reached"),
            std::string::npos)
      << error;
  driver->SendIFC(0);
  EXPECT_EQ(driver->Status().iberr, kEneb);
}

}  // namespace
}  // namespace veridane
