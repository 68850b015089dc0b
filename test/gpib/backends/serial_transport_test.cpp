// The serial transport on a pseudo-terminal: raw bytes both ways, an empty port is no error,
// and a port that hangs up is a broken link.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "gpib/backends/serial_transport.h"

namespace veridane {
namespace {

TEST(SerialTransport, MovesRawBytesOverAPseudoTerminalAndSeesItHangUp) {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  std::string path = ::ptsname(master);
  std::string error;
  auto port = OpenSerialTransport(path, error);
  ASSERT_TRUE(port) << error;
  EXPECT_EQ(port->Describe(), path);

  std::string received;
  EXPECT_TRUE(port->Read(received, 0)) << "an empty port is no error";
  EXPECT_EQ(received, "");

  std::string reply("6.101\r\n\x04\xff", 9);
  ASSERT_EQ(::write(master, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
  while (received.size() < reply.size() && port->Read(received, 1)) {
  }
  EXPECT_EQ(received, reply) << "no translation of CR, LF or 8-bit bytes";

  ASSERT_TRUE(port->Write(std::string("++ver\n\x1b+", 8)));
  char echo[16] = {};
  ssize_t n = ::read(master, echo, sizeof echo);
  EXPECT_EQ(std::string(echo, n > 0 ? static_cast<size_t>(n) : 0), std::string("++ver\n\x1b+", 8));

  auto second = OpenSerialTransport(path, error);
  EXPECT_FALSE(second);
  EXPECT_NE(error.find("is in use by another program"), std::string::npos) << error;

  ::close(master);
  std::string after;
  EXPECT_FALSE(port->Read(after, 1));
  EXPECT_NE(port->LastError().find(path), std::string::npos) << port->LastError();
}

}  // namespace
}  // namespace veridane
