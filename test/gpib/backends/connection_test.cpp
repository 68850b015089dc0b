// Connection strings of the real back ends: what is accepted, and the text for what is not.
#include <gtest/gtest.h>

#include <cerrno>

#include "gpib/backends/real_backends.h"
#include "gpib/backends/serial_transport.h"

namespace veridane {
namespace {

TEST(Connection, BoardsAndAdaptersAreRecognisedWithTheirDefaults) {
  std::string error;
  int board = -1;
  for (auto [text, expected] : {std::pair{"gpib:0", 0}, {"gpib:15", 15}, {"ni:2", 2}, {"GPIB", 0}}) {
    EXPECT_TRUE(ParseBoardConnection(text, board, error)) << text << ": " << error;
    EXPECT_EQ(board, expected) << text;
  }

  AdapterTarget target;
  ASSERT_TRUE(ParseAdapterConnection("prologix:/dev/ttyUSB0", target, error));
  EXPECT_FALSE(target.tcp);
  EXPECT_EQ(target.path, "/dev/ttyUSB0");
  EXPECT_EQ(target.dialect, AdapterDialect::kPrologix);
  ASSERT_TRUE(ParseAdapterConnection("ar488:ttyACM0", target, error));
  EXPECT_EQ(target.path, "/dev/ttyACM0");
  EXPECT_EQ(target.dialect, AdapterDialect::kAr488);
  ASSERT_TRUE(ParseAdapterConnection("prologix-tcp:bench-gpib.local", target, error));
  EXPECT_TRUE(target.tcp);
  EXPECT_EQ(target.host, "bench-gpib.local");
  EXPECT_EQ(target.port, 1234);
  ASSERT_TRUE(ParseAdapterConnection("prologix-tcp:10.0.0.7:5025", target, error));
  EXPECT_EQ(target.host, "10.0.0.7");
  EXPECT_EQ(target.port, 5025);
  ASSERT_TRUE(ParseAdapterConnection("prologix-tcp:[fe80::1]:1235", target, error));
  EXPECT_EQ(target.host, "fe80::1");
  EXPECT_EQ(target.port, 1235);
  ASSERT_TRUE(ParseAdapterConnection("prologix-tcp:[::1]", target, error));
  EXPECT_EQ(target.port, 1234);

  for (const char* real : {"gpib:0", "ni:1", "prologix:/dev/ttyUSB0", "ar488:/dev/ttyACM0", "prologix-tcp:h"}) {
    EXPECT_TRUE(IsRealBackendScheme(real)) << real;
  }
  for (const char* other : {"sim", "sim:tds340", "bench.toml", "gpibx:0", ""}) EXPECT_FALSE(IsRealBackendScheme(other));
}

TEST(Connection, VisaResourceStringsNameTheSameBackEnds) {
  struct Case {
    const char* resource;
    bool throughVisa;
    const char* native;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"GPIB0::1::INSTR", false, "gpib:0"},
           {"gpib2::12::96::instr", false, "gpib:2"},
           {"GPIB0::INTFC", false, "gpib:0"},
           {"GPIB0::1::INSTR", true, "visa:GPIB0"},
           {"TCPIP0::192.168.1.20::1234::SOCKET", false, "prologix-tcp:192.168.1.20:1234"},
           {"TCPIP::fe80::1::5025::SOCKET", false, ""},  // an IPv6 address cannot be told from the parts
           {"ASRL/dev/ttyUSB0::INSTR", false, "prologix:/dev/ttyUSB0"},
           {"ASRL3::INSTR", false, "prologix:/dev/ttyS2"},
           {"PRLGX-TCPIP::bench-gpib::INTFC", false, "prologix-tcp:bench-gpib"},
           {"PRLGX-TCPIP0::bench-gpib::1235::INTFC", false, "prologix-tcp:bench-gpib:1235"},
           {"PRLGX-ASRL::/dev/ttyACM0::INTFC", false, "prologix:/dev/ttyACM0"},
       }) {
    ASSERT_NE(MatchHardwareForm(c.resource), nullptr) << c.resource;
    std::string native, error;
    EXPECT_EQ(ResolveVisaResource(c.resource, c.throughVisa, native, error), *c.native != 0) << c.resource << error;
    if (*c.native) {
      EXPECT_EQ(native, c.native) << c.resource;
    }
  }
  // Each form is claimed by exactly the back end that opens it.
  EXPECT_EQ(MatchHardwareForm("gpib:0")->scheme, "gpib");
  EXPECT_EQ(MatchHardwareForm("Prologix-TCP:host")->scheme, "prologix-tcp");
  EXPECT_EQ(MatchHardwareForm("visa:GPIB0")->scheme, "visa");
  EXPECT_EQ(MatchHardwareForm("GPIB0::1::INSTR")->scheme, "visa-resource");
  for (const char* other : {"gpibbench.toml", "asrl.toml", "tcpip-notes::x", "sim:default"})
    EXPECT_EQ(MatchHardwareForm(other), nullptr) << other;

  std::string error;
  // Also a host left out, a port written into the host, a port that is no number: the message
  // quotes what was typed, never a text the program made of it.
  for (const char* bad : {"GPIB0::1::SOCKET", "GPIB16::1::INSTR", "TCPIP0::host::INSTR", "ASRL/dev/x::SOCKET",
                          "TCPIP0::::1234::SOCKET", "PRLGX-TCPIP::127.0.0.1:1234::INTFC", "TCPIP0::h::x::SOCKET"}) {
    EXPECT_EQ(OpenRealBackend(bad, "", error), nullptr) << bad;
    EXPECT_NE(error.find("is not a VISA resource this program can open"), std::string::npos) << error;
    EXPECT_NE(error.find(bad), std::string::npos) << error;
  }
  EXPECT_EQ(OpenRealBackend("visa:COM1", "", error), nullptr);
  EXPECT_NE(error.find("write visa:GPIB0"), std::string::npos) << error;
}

TEST(Connection, BadStringsAreRefusedWithAClearTextAndNothingOpened) {
  struct Case {
    const char* text;
    const char* says;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"gpib:16", "bad board number \"16\": give a number from 0 to 15"},
           {"gpib:", "bad board number \"\""},
           {"ni:zero", "bad board number \"zero\""},
           {"prologix:", "names no serial port: write e.g. prologix:/dev/ttyUSB0."},
           {"ar488:", "write e.g. ar488:/dev/ttyACM0."},
           {"prologix-tcp:", "names no adapter"},
           {"prologix-tcp::1234", "names no adapter"},
           {"prologix-tcp:host:", "bad port \"\": give a number from 1 to 65535"},
           {"prologix-tcp:host:abc", "bad port \"abc\""},
           {"prologix-tcp:host:70000", "bad port \"70000\""},
           {"prologix-tcp:host:0", "bad port \"0\""},
           {"prologix-tcp:host:12x", "bad port \"12x\""},
           {"prologix-tcp:fe80::1", "write an IPv6 address in brackets"},
           {"prologix-tcp:[fe80::1", "no \"]\""},
           {"prologix-tcp:[fe80::1]x", "write [ADDRESS]:PORT"},
           {"prologix-tcp:my host", "bad network name \"my host\""},
           {"serial:/dev/ttyS0", "is not a GPIB board or adapter"},
       }) {
    std::string error;
    EXPECT_EQ(OpenRealBackend(c.text, "", error), nullptr) << c.text;
    EXPECT_NE(error.find(c.says), std::string::npos) << c.text << " said: " << error;
    EXPECT_NE(error.find(std::string("\"") + c.text + "\""), std::string::npos) << "names the bench: " << error;
  }
}

TEST(Connection, AMissingPortIsExplainedAndActsAsAMissingBoard) {
  std::string error;
  auto driver = OpenRealBackend("prologix:/dev/veridane-no-such-tty", "", error);
  ASSERT_TRUE(driver);
  EXPECT_EQ(error, "There is no serial port /dev/veridane-no-such-tty. Plug in the GPIB adapter and check its name "
                   "(ls /dev/ttyUSB* /dev/ttyACM*).");
  EXPECT_EQ(driver->ibdev(0, 1, 0, 11, 1, 0), -1);
  EXPECT_EQ(driver->Status().iberr, kEneb);

  auto notASerialPort = OpenRealBackend("ar488:/dev/null", "", error);
  ASSERT_TRUE(notASerialPort);
  EXPECT_NE(error.find("/dev/null is not a serial port"), std::string::npos) << error;

  std::string denied = SerialOpenMessage("/dev/ttyUSB0", EACCES, "dialout");
  EXPECT_NE(denied.find("group \"dialout\" (sudo usermod -aG dialout $USER)"), std::string::npos) << denied;
  EXPECT_NE(SerialOpenMessage("/dev/ttyUSB0", EBUSY, "").find("in use by another program"), std::string::npos);
}

}  // namespace
}  // namespace veridane
