// An adapter that talks too much or frames badly, over a real loopback connection: one answer
// stays bounded in memory and fails as a GPIB error, a block holding the end character arrives
// whole however the link splits it, and the adapter is usable again afterwards.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include "gpib/backends/real_backends.h"
#include "gpib/backends/tcp_transport.h"
#include "test/support/hostile_adapter.h"

namespace veridane::testing {
namespace {

long PeakRssMiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

std::unique_ptr<Gpib488> Open(const HostileAdapter& server) {
  std::string error;
  auto driver = OpenPrologix("prologix-tcp:127.0.0.1:" + std::to_string(server.Port()), error);
  EXPECT_EQ(error, "");
  return driver;
}

// One ibrd as the bus layer makes it, and then the adapter must still answer a poll.
void ExpectBoundedFailureAndRecovery(HostileAdapter::Mode mode) {
  HostileAdapter server(mode);
  auto driver = Open(server);
  ASSERT_TRUE(driver);
  const int ud = driver->ibdev(0, 5, 0, 13, 1, 0);
  std::string buffer(512, ' ');
  driver->ibrd(ud, buffer);
  const GpibStatus status = driver->Status();
  EXPECT_EQ(status.ibsta & (kErr | kEnd), kErr);
  EXPECT_EQ(status.iberr, kEbus);
  EXPECT_LT(server.Sent(), size_t{16} << 20) << "the read stopped the adapter soon after its limit";
  EXPECT_LT(PeakRssMiB(), 64);

  uint8_t poll = 99;
  driver->ibrsp(ud, poll);
  EXPECT_EQ(driver->Status().ibsta & kErr, 0) << driver->Status().iberr;
  EXPECT_EQ(poll, 0);
}

// The adapter's end of the connection goes away (unplugged, switched off): writing to it fails
// and says so; it never ends the program with SIGPIPE.
TEST(PrologixHostile, AnAdapterThatHangsUpFailsTheWriteInsteadOfKillingTheProgram) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t length = sizeof address;
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  std::string error;
  std::unique_ptr<ByteTransport> link = OpenTcpTransport("127.0.0.1", ntohs(address.sin_port), error);
  ASSERT_TRUE(link) << error;
  const int peer = ::accept(listener, nullptr, nullptr);
  ASSERT_GE(peer, 0);
  ::close(peer);
  ::close(listener);
  bool failed = false;
  for (int i = 0; i < 50 && !failed; ++i) {
    failed = !link->Write("++ver\n");
    if (!failed) ::usleep(10000);
  }
  EXPECT_TRUE(failed);
  EXPECT_NE(link->LastError().find("Writing failed"), std::string::npos) << link->LastError();
}

TEST(PrologixHostile, AnEndlessStreamFailsTheReadWithBoundedMemory) {
  ExpectBoundedFailureAndRecovery(HostileAdapter::Mode::kEndlessStream);
}

TEST(PrologixHostile, AHundredMegabyteAnswerFailsTheReadWithBoundedMemory) {
  ExpectBoundedFailureAndRecovery(HostileAdapter::Mode::kHugeAnswer);
}

TEST(PrologixHostile, ABlockFullOfEndCharactersArrivesWholeWithEnd) {
  HostileAdapter server(HostileAdapter::Mode::kBlockWithEndBytes);
  auto driver = Open(server);
  ASSERT_TRUE(driver);
  const int ud = driver->ibdev(0, 5, 0, 12, 1, 0);
  // Read in the bus layer's chunks of 512 bytes until END.
  std::string answer;
  for (int chunk = 0; chunk < 10; ++chunk) {
    std::string buffer(512, ' ');
    driver->ibrd(ud, buffer);
    ASSERT_EQ(driver->Status().ibsta & kErr, 0) << driver->Status().iberr;
    answer.append(buffer, 0, static_cast<size_t>(driver->Status().ibcntl));
    if (driver->Status().ibsta & kEnd) break;
  }
  EXPECT_TRUE(driver->Status().ibsta & kEnd);
  EXPECT_EQ(answer, HostileAdapter::Block());
}

}  // namespace
}  // namespace veridane::testing
