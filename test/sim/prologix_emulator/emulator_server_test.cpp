// The emulator's server: each network connection has its own bench and thread, so one host's
// silent poll does not hold up another, and the adapter names itself for its link.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "sim/bus/echo_device.h"
#include "sim/bus/sim_bus.h"
#include "sim/prologix_emulator/emulator_server.h"

namespace veridane::sim {
namespace {

struct EchoBench : ServedBench {
  EchoBench() { bus.Attach(5, device); }
  Gpib488& Bus() override { return bus; }
  EventLoop& Clock() override { return clock; }
  RealEventLoop clock;
  SimBus bus{clock};
  EchoDevice device{"*IDN?", "ECHO"};
};

int Connect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) ADD_FAILURE() << "no connection";
  return fd;
}

void Send(int fd, const std::string& text) { ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size())); }

// One line, waiting up to `ms`; empty when none came.
std::string Line(int fd, int ms) {
  std::string line;
  char c = 0;
  while (line.empty() || line.back() != '\n') {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0 || ::read(fd, &c, 1) != 1) return line;
    line += c;
  }
  return line;
}

TEST(EmulatorServer, EachConnectionHasItsOwnBenchAndIsNotHeldUpByAnother) {
  std::atomic<int> benches{0};
  EmulatorServer server([&] {
    ++benches;
    return std::make_unique<EchoBench>();
  });
  std::string error;
  ASSERT_TRUE(server.ListenTcp(0, error)) << error;
  std::atomic<bool> stop{false};
  std::thread serving([&] { server.Serve(-1, [&] { return stop.load(); }); });

  const int slow = Connect(server.TcpPort());
  const int quick = Connect(server.TcpPort());
  // A poll of nobody keeps the first adapter busy for its read timeout.
  Send(slow, "++read_tmo_ms 2000\n++spoll 9\n++ver\n");
  Send(quick, "++ver\n");
  EXPECT_EQ(Line(quick, 10000), std::string(PrologixSession::kEthernetVersion) + "\r\n");
  pollfd p{slow, POLLIN, 0};
  EXPECT_EQ(::poll(&p, 1, 0), 0) << "the other host is still waiting for its poll";
  EXPECT_EQ(Line(slow, 10000), std::string(PrologixSession::kEthernetVersion) + "\r\n");

  // What one host does to its bench, the other does not see.
  Send(quick, "++addr 5\n++eos 3\nhello\n");
  Send(slow, "++addr 5\n++read_tmo_ms 100\n++read eoi\n++ver\n");
  EXPECT_EQ(Line(slow, 10000), std::string(PrologixSession::kEthernetVersion) + "\r\n") << "nothing to read here";
  EXPECT_EQ(benches.load(), 2);

  ::close(slow);
  ::close(quick);
  stop = true;
  serving.join();
}

TEST(EmulatorServer, ASharedBenchIsOneBusForEveryConnection) {
  std::atomic<int> benches{0};
  EmulatorMode mode;
  mode.sharedBench = true;
  EmulatorServer server(
      [&] {
        ++benches;
        return std::make_unique<EchoBench>();
      },
      AdapterPersonality{}, mode);
  std::string error;
  ASSERT_TRUE(server.ListenTcp(0, error)) << error;
  std::atomic<bool> stop{false};
  std::thread serving([&] { server.Serve(-1, [&] { return stop.load(); }); });

  const int writer = Connect(server.TcpPort());
  const int reader = Connect(server.TcpPort());
  // One host leaves a message with the device, the other reads its echo.
  Send(writer, "++addr 5\n++eos 3\nhello\n++ver\n");
  EXPECT_EQ(Line(writer, 10000), std::string(PrologixSession::kEthernetVersion) + "\r\n");
  Send(reader, "++addr 5\n++read_tmo_ms 500\n++read eoi\n");
  EXPECT_EQ(Line(reader, 10000), "hello\n");
  EXPECT_EQ(benches.load(), 1);

  ::close(writer);
  ::close(reader);
  stop = true;
  serving.join();
}

TEST(EmulatorServer, AnswersInPiecesAreCutWhereAReaderMightTakeDataForTheEnd) {
  const std::string block = std::string("CURVE #14A\x04" "BC\n\x04", 15);
  const std::vector<size_t> cuts = AwkwardCuts(block);
  auto cutAt = [&](size_t at) { return std::find(cuts.begin(), cuts.end(), at) != cuts.end(); };
  EXPECT_TRUE(cutAt(7)) << "after the \"#\"";
  EXPECT_TRUE(cutAt(8)) << "after the header's first digit";
  EXPECT_TRUE(cutAt(11)) << "after a data byte 4";
  EXPECT_FALSE(cutAt(15)) << "never after the last byte";
  EXPECT_TRUE(std::is_sorted(cuts.begin(), cuts.end()));

  // However many awkward bytes, an answer goes in a bounded number of pieces.
  EXPECT_LE(AwkwardCuts(std::string(100000, '\x04')).size(), 32u);
}

}  // namespace
}  // namespace veridane::sim
