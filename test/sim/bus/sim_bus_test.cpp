// The simulated bus as a driver: transfers, status, listeners, faults, files and the trace.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "sim/bus/echo_device.h"
#include "sim/bus/sim_bus.h"

namespace veridane::sim {
namespace {

struct Bench {
  Bench() {
    bus.SetTrace([this](const std::string& line) { trace.push_back(line); });
    bus.Attach(5, scope);
  }
  // A handle on address 5 with the given timeout code.
  int Handle(int tmo = 11, int pad = 5) { return bus.ibdev(0, pad, 0, tmo, 1, 0); }
  std::string Read(int ud, size_t size = 512) {
    std::string buffer(size, ' ');
    bus.ibrd(ud, buffer);
    return buffer.substr(0, static_cast<size_t>(bus.Status().ibcntl));
  }
  bool Has(int32_t bits) const { return (bus.Status().ibsta & bits) == bits; }

  VirtualClock clock;
  SimBus bus{clock};
  EchoDevice scope{"ID?", "ID TEK/TDS 340,CF:91.1CT FV:v1.00"};
  std::vector<std::string> trace;
};

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("veridane_simbus_" + std::to_string(::getpid()) + "_" + name);
}

TEST(SimBus, WriteThenReadAnswersWithEnd) {
  Bench b;
  int ud = b.Handle();
  b.bus.ibwrt(ud, "id?\r\n");
  EXPECT_TRUE(b.Has(kCmpl));
  EXPECT_FALSE(b.Has(kErr));
  EXPECT_EQ(b.bus.Status().ibcntl, 5);
  EXPECT_EQ(b.scope.Received(), (std::vector<std::string>{"id?\r\n"}));
  std::string buffer(64, '#');
  b.bus.ibrd(ud, buffer);
  EXPECT_TRUE(b.Has(kEnd | kCmpl));
  EXPECT_EQ(buffer.substr(0, 35), "ID TEK/TDS 340,CF:91.1CT FV:v1.00\n#") << "the rest of the buffer is untouched";
  EXPECT_EQ(b.bus.Status().ibcntl, 34);
  EXPECT_EQ(b.trace, (std::vector<std::string>{"W 5 <- id?\\r\\n", "R 5 -> ID TEK/TDS 340,CF:91.1CT FV:v1.00\\n"}));
}

TEST(SimBus, ShortBufferTakesWhatFitsAndLeavesTheRest) {
  Bench b;
  int ud = b.Handle();
  b.bus.ibwrt(ud, "ID?");
  EXPECT_EQ(b.Read(ud, 7), "ID TEK/");
  EXPECT_FALSE(b.Has(kEnd));
  EXPECT_EQ(b.Read(ud, 20), "TDS 340,CF:91.1CT FV");
  EXPECT_FALSE(b.Has(kEnd));
  EXPECT_EQ(b.Read(ud), ":v1.00\n");
  EXPECT_TRUE(b.Has(kEnd));
  // Nothing more to say: the next read times out.
  b.Read(ud);
  EXPECT_TRUE(b.Has(kErr | kTimo));
}

TEST(SimBus, ANewMessageDropsAnUnreadRest) {
  Bench b;
  int ud = b.Handle();
  b.bus.ibwrt(ud, "ID?");
  b.Read(ud, 4);
  b.bus.ibwrt(ud, "HEADER OFF");
  EXPECT_EQ(b.Read(ud), "HEADER OFF\n");
}

TEST(SimBus, NoAnswerTimesOutOnTheEventLoopWithoutProcessingEvents) {
  Bench b;
  bool pressed = false;
  b.clock.ScheduleAfter(0.5, [&] { pressed = true; });
  int ud = b.Handle(12);
  b.Read(ud);
  EXPECT_TRUE(b.Has(kErr | kTimo));
  EXPECT_EQ(b.bus.Status().iberr, kEabo);
  EXPECT_EQ(b.bus.Status().ibcntl, 0);
  EXPECT_DOUBLE_EQ(b.clock.Now(), 3.0);
  EXPECT_FALSE(pressed) << "a blocked driver call runs no interface events";
  EXPECT_EQ(b.trace.back(), "TIMEOUT 5");
}

TEST(SimBus, AbsentAddress) {
  Bench b;
  int ud = b.Handle(11, 6);
  b.bus.ibwrt(ud, "ID?");
  EXPECT_TRUE(b.Has(kErr));
  EXPECT_EQ(b.bus.Status().iberr, kEnol);
  b.bus.ibclr(ud);
  EXPECT_EQ(b.bus.Status().iberr, kEnol);
  b.bus.ibloc(ud);
  EXPECT_EQ(b.bus.Status().iberr, kEnol);
  uint8_t statusByte = 0;
  b.bus.ibrsp(ud, statusByte);
  EXPECT_TRUE(b.Has(kErr | kTimo));
  EXPECT_DOUBLE_EQ(b.clock.Now(), 1.0);
  b.bus.DevClear(0, 6);
  EXPECT_EQ(b.bus.Status().iberr, kEnol);
}

TEST(SimBus, PollClearAndLocal) {
  Bench b;
  int ud = b.Handle();
  b.scope.SetStatusByte(0x50);
  uint8_t statusByte = 0;
  b.bus.ibrsp(ud, statusByte);
  EXPECT_EQ(statusByte, 0x50);
  b.bus.ibwrt(ud, "ID?");
  b.Read(ud, 3);
  b.bus.ibclr(ud);
  EXPECT_EQ(b.scope.Clears(), 1);
  b.Read(ud);
  EXPECT_TRUE(b.Has(kTimo)) << "a clear drops the unread answer";
  b.bus.DevClear(0, 5);
  EXPECT_EQ(b.scope.Clears(), 2);
  b.bus.ibloc(ud);
  EXPECT_EQ(b.scope.Locals(), 1);
  EXPECT_EQ(b.trace, (std::vector<std::string>{"SPOLL 5 = 80", "W 5 <- ID?", "R 5 -> ID ", "CLEAR 5", "TIMEOUT 5",
                                               "CLEAR 5", "LOCAL 5"}));
}

std::vector<int16_t> FullList() {
  std::vector<int16_t> list(31);
  std::iota(list.begin(), list.end(), 0);
  list.push_back(kNoAddr);
  return list;
}

TEST(SimBus, FindLstnListsTheBoardThenTheDevicesInOrder) {
  Bench b;
  EchoDevice other("ID?", "X");
  b.bus.Attach(2, other);
  b.bus.Attach(30, std::make_unique<EchoDevice>("ID?", "Y"));
  std::vector<int16_t> results(15, -7);
  b.bus.FindLstn(0, FullList(), results, 15);
  EXPECT_FALSE(b.Has(kErr));
  EXPECT_EQ(b.bus.Status().ibcntl, 4);
  EXPECT_EQ(std::vector<int16_t>(results.begin(), results.begin() + 6), (std::vector<int16_t>{0, 2, 5, 30, 0, -7}));
  EXPECT_EQ(b.trace.back(), "FINDLSTN 0 2 5 30");

  // Without 0 in the list the board does not answer.
  std::vector<int16_t> partial = {1, 2, 3, 4, 5, kNoAddr};
  b.bus.FindLstn(0, partial, results, 15);
  EXPECT_EQ(std::vector<int16_t>(results.begin(), results.begin() + 3), (std::vector<int16_t>{2, 5, 0}));
}

TEST(SimBus, FindLstnLimits) {
  VirtualClock clock;
  SimBus bus(clock);
  std::vector<int16_t> results(15, 0);
  bus.FindLstn(0, FullList(), results, 15);
  EXPECT_EQ(bus.Status().ibsta & kErr, kErr) << "the board alone is no listener";
  EXPECT_EQ(bus.Status().iberr, kEbus);

  for (int address = 1; address <= 14; ++address) bus.Attach(address, std::make_unique<EchoDevice>("ID?", "X"));
  bus.FindLstn(0, FullList(), results, 15);
  EXPECT_EQ(bus.Status().ibsta & kErr, 0) << "the board and 14 instruments fit exactly";
  EXPECT_EQ(results[14], 14);

  bus.Attach(15, std::make_unique<EchoDevice>("ID?", "X"));
  bus.FindLstn(0, FullList(), results, 15);
  EXPECT_EQ(bus.Status().iberr, kEtab);
  EXPECT_EQ(bus.Status().ibsta & kErr, kErr);
  EXPECT_EQ(results.size(), 15u) << "nothing written past the limit";
}

TEST(SimBus, SilentDeviceListensButNeverAnswers) {
  Bench b;
  b.bus.SetSilent(5);
  int ud = b.Handle();
  b.bus.ibwrt(ud, "ID?");
  EXPECT_FALSE(b.Has(kErr));
  b.Read(ud);
  EXPECT_TRUE(b.Has(kErr | kTimo));
  b.bus.SetSilent(5, false);
  b.bus.ibwrt(ud, "ID?");
  EXPECT_EQ(b.Read(ud), "ID TEK/TDS 340,CF:91.1CT FV:v1.00\n");
}

TEST(SimBus, SlowDeviceAnswersAfterItsDelay) {
  Bench b;
  b.bus.SetSlow(5, 2.5);
  int ud = b.Handle(11);
  b.bus.ibwrt(ud, "ID?");
  b.Read(ud);
  EXPECT_TRUE(b.Has(kErr | kTimo)) << "1 s is too short for a 2.5 s answer";
  EXPECT_DOUBLE_EQ(b.clock.Now(), 1.0);
  b.Read(ud);
  EXPECT_TRUE(b.Has(kTimo));
  EXPECT_DOUBLE_EQ(b.clock.Now(), 2.0);
  EXPECT_EQ(b.Read(ud), "ID TEK/TDS 340,CF:91.1CT FV:v1.00\n") << "the answer waited on the bus";
  EXPECT_DOUBLE_EQ(b.clock.Now(), 2.5);

  b.bus.ibtmo(ud, 12);
  b.bus.ibwrt(ud, "HEADER OFF");
  EXPECT_EQ(b.Read(ud), "HEADER OFF\n");
  EXPECT_DOUBLE_EQ(b.clock.Now(), 5.0);
}

TEST(SimBus, VanishingDeviceIsGoneAfterItsMessages) {
  Bench b;
  b.bus.SetVanishAfter(5, 2);
  int ud = b.Handle();
  b.bus.ibwrt(ud, "ID?");
  b.bus.ibwrt(ud, "ID?");
  EXPECT_EQ(b.Read(ud), "ID TEK/TDS 340,CF:91.1CT FV:v1.00\n") << "the last message is still answered";
  b.bus.ibwrt(ud, "*RST");
  EXPECT_EQ(b.bus.Status().iberr, kEnol);
  EXPECT_EQ(b.scope.Received().size(), 2u);
  b.Read(ud);
  EXPECT_TRUE(b.Has(kTimo));
  std::vector<int16_t> results(15, 0);
  b.bus.FindLstn(0, FullList(), results, 15);
  EXPECT_EQ(b.bus.Status().iberr, kEbus);

  b.bus.ClearFaults(5);
  b.bus.ibwrt(ud, "*RST");
  EXPECT_FALSE(b.Has(kErr)) << "plugged in again";
}

TEST(SimBus, GarblingDeviceKeepsLengthAndLineEnd) {
  Bench b;
  b.bus.SetGarbage(5);
  int ud = b.Handle();
  b.bus.ibwrt(ud, "ID?");
  std::string answer = b.Read(ud);
  EXPECT_TRUE(b.Has(kEnd));
  ASSERT_EQ(answer.size(), 34u);
  EXPECT_EQ(answer.back(), '\n');
  EXPECT_EQ(answer.find("TDS"), std::string::npos);
  for (size_t i = 0; i + 1 < answer.size(); ++i) EXPECT_TRUE(answer[i] > 0x20 && answer[i] < 0x7F);
}

TEST(SimBus, FileTransfers) {
  Bench b;
  int ud = b.Handle();
  auto out = TempPath("out.txt");
  auto in = TempPath("in.txt");
  {
    std::ofstream file(out, std::ios::binary);
    file << "CURVE #0\xB5\r\n";
  }
  b.bus.ibwrtf(ud, out.string());
  EXPECT_FALSE(b.Has(kErr));
  EXPECT_EQ(b.scope.Received().back(), "CURVE #0\xB5\r\n");

  b.bus.ibrdf(ud, in.string());
  EXPECT_TRUE(b.Has(kEnd));
  std::ifstream file(in, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "CURVE #0\xB5\n");

  b.bus.ibwrtf(ud, TempPath("missing").string());
  EXPECT_EQ(b.bus.Status().iberr, kEfso);
  b.bus.ibwrt(ud, "ID?");
  b.bus.ibrdf(ud, "/nonexistent-folder/x.txt");
  EXPECT_EQ(b.bus.Status().iberr, kEfso);
  EXPECT_EQ(b.Read(ud), "ID TEK/TDS 340,CF:91.1CT FV:v1.00\n") << "a file error loses no answer";
  std::filesystem::remove(out);
  std::filesystem::remove(in);
}

TEST(SimBus, MessageWithoutEoiWaitsForItsEnd) {
  Bench b;
  int noEoi = b.bus.ibdev(0, 5, 0, 11, 0, 0);
  int eoi = b.Handle();
  b.bus.ibwrt(noEoi, "I");
  b.bus.ibwrt(noEoi, "D");
  EXPECT_TRUE(b.scope.Received().empty());
  b.bus.ibwrt(eoi, "?");
  EXPECT_EQ(b.scope.Received(), (std::vector<std::string>{"ID?"}));
}

TEST(SimBus, ArgumentErrors) {
  Bench b;
  EXPECT_EQ(b.bus.ibdev(1, 5, 0, 11, 1, 0), -1);
  EXPECT_EQ(b.bus.Status().iberr, kEneb);
  EXPECT_EQ(b.bus.ibdev(0, 31, 0, 11, 1, 0), -1);
  EXPECT_EQ(b.bus.Status().iberr, kEarg);
  b.bus.ibwrt(99, "ID?");
  EXPECT_EQ(b.bus.Status().iberr, kEdvr);
  int ud = b.Handle();
  b.bus.ibtmo(ud, 18);
  EXPECT_EQ(b.bus.Status().iberr, kEarg);
  int value = 0;
  b.bus.ibask(ud, kIbaTmo, value);
  EXPECT_EQ(value, 11);
  b.bus.ibpad(ud, 7);
  b.bus.ibask(ud, 1, value);
  EXPECT_EQ(value, 7);
  b.bus.SendIFC(2);
  EXPECT_EQ(b.bus.Status().iberr, kEneb);
  EXPECT_FALSE(b.bus.Attach(31, b.scope));
  EXPECT_FALSE(b.bus.Attach(0, b.scope));
  // A secondary address outside 0x60..0x7E is refused as a board's driver refuses it; a valid
  // one is kept with the handle.
  EXPECT_EQ(b.bus.ibdev(0, 5, 5, 11, 1, 0), -1);
  EXPECT_EQ(b.bus.Status().iberr, kEarg);
  const int secondary = b.bus.ibdev(0, 5, 0x61, 11, 0, 0);
  b.bus.ibask(secondary, 2, value);
  EXPECT_EQ(value, 0x61);
  b.bus.ibask(secondary, 4, value);
  EXPECT_EQ(value, 0) << "opened without EOI";
}

TEST(SimBus, AnEchoDeviceKeepsOnlyItsLastMessages) {
  Bench b;
  const int ud = b.Handle();
  for (int i = 0; i < 1000; ++i) b.bus.ibwrt(ud, "BLOCK " + std::to_string(i));
  EXPECT_EQ(b.scope.Received().size(), EchoDevice::kKeptMessages);
  EXPECT_EQ(b.scope.Received().back(), "BLOCK 999");
  EXPECT_EQ(b.scope.Received().front(), "BLOCK " + std::to_string(1000 - EchoDevice::kKeptMessages));
}

TEST(SimBus, TraceToFileKeepsEveryLine) {
  auto path = TempPath("trace.txt");
  VirtualClock clock;
  SimBus bus(clock);
  EchoDevice device("ID?", "X");
  bus.Attach(1, device);
  bus.SetTrace(TraceToFile(path.string()));
  bus.SendIFC(0);
  bus.ibsre(0, 1);
  int ud = bus.ibdev(0, 1, 0, 11, 1, 0);
  bus.ibwrt(ud, "CH1:SCA .002");
  std::ifstream file(path, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "IFC\nREN 1\nW 1 <- CH1:SCA .002\n");
  EXPECT_FALSE(TraceToFile("/nonexistent-folder/trace.txt"));
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace veridane::sim
