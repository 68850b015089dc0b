// The Prologix-compatible adapter moving messages: escaping, END, partial reads, the host's
// overall timeout over the adapter's short one, late bytes, broken links and files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "test/support/adapter_bench.h"
#include "gpib/bus/gpib_bus.h"
#include "test/support/scripted_operator.h"

namespace veridane::testing {
namespace {

using Lines = std::vector<std::string>;
using Part = ScriptedDevice::Part;

TEST(PrologixWrite, EscapesControlBytesAndPlusSoTheDeviceGetsTheMessageIntact) {
  EXPECT_EQ(EscapeForAdapter("A+B\r\n\x1b" "C"), "A\x1b+B\x1b\r\x1b\n\x1b\x1b" "C");
  AdapterBench b;
  int ud = b.Handle(5);
  std::string message = "++ver\r\nDATA \x1b\xb5+1";
  b.adapter->ibwrt(ud, message);
  EXPECT_FALSE(b.Has(kErr));
  EXPECT_EQ(b.adapter->Status().ibcntl, static_cast<int32_t>(message.size()));
  EXPECT_EQ(b.link->At(5).received, Lines{message}) << "a message that looks like a command is still data";
  EXPECT_EQ(b.link->Count("++addr 5"), 1);

  int noEoi = b.Handle(5, 11, 0);
  b.adapter->ibwrt(noEoi, "PART");
  b.adapter->ibwrt(ud, "REST");
  EXPECT_EQ(b.link->Lines(), (Lines{"++addr 5", message, "++eoi 0", "PART", "++eoi 1", "REST"}));
}

TEST(PrologixRead, AMessageWithEndFillsTheFrontOfTheBuffer) {
  AdapterBench b;
  b.link->At(5).answers.push_back(Part{"TDS 340\r\n"});
  int ud = b.Handle(5, 11);
  b.adapter->ibwrt(ud, "ID?");
  std::string buffer(12, '#');
  b.adapter->ibrd(ud, buffer);
  EXPECT_TRUE(b.Has(kEnd | kCmpl));
  EXPECT_FALSE(b.Has(kErr));
  EXPECT_EQ(b.adapter->Status().ibcntl, 9);
  EXPECT_EQ(buffer, "TDS 340\r\n###");
  EXPECT_EQ(b.link->Lines(), (Lines{"++addr 5", "++read_tmo_ms 1000", "ID?", "++read eoi"}));
}

TEST(PrologixRead, ShortBuffersTakeTheMessageInPartsWithEndOnlyAtTheLast) {
  AdapterBench b;
  b.link->At(5).answers.push_back(Part{"1.2345E-3\n"});
  b.link->At(5).answers.push_back(Part{"NEXT\n"});
  int ud = b.Handle();
  EXPECT_EQ(b.Read(ud, 4), "1.23");
  EXPECT_FALSE(b.Has(kEnd));
  EXPECT_EQ(b.Read(ud, 4), "45E-");
  EXPECT_FALSE(b.Has(kEnd));
  EXPECT_EQ(b.Read(ud, 4), "3\n");
  EXPECT_TRUE(b.Has(kEnd));
  EXPECT_EQ(b.link->Count("++read eoi"), 1) << "the adapter delivered the message once";

  // A new message to the device drops what was left of the answer.
  EXPECT_EQ(b.Read(ud, 2), "NE");
  b.link->At(5).answers.clear();
  b.link->At(5).answers.push_back(Part{"FRESH\n"});
  b.adapter->ibwrt(ud, "ID?");
  EXPECT_EQ(b.Read(ud), "FRESH\n");
}

TEST(PrologixRead, TheEndCharacterInsideTheDataIsData) {
  AdapterBench b;
  b.link->At(5).answers.push_back(Part{std::string("#\x04\x04" "AB\n")});
  int ud = b.Handle();
  EXPECT_EQ(b.Read(ud), std::string("#\x04\x04" "AB\n"));
  EXPECT_TRUE(b.Has(kEnd));

  b.link->At(5).answers.push_back(Part{std::string("CURVE\x04"), true});
  EXPECT_EQ(b.Read(ud), std::string("CURVE\x04"));
  EXPECT_TRUE(b.Has(kEnd));

  // The end character closing one chunk of the port, with the rest already arrived behind it.
  double soon = b.link->Now() + 0.05;
  b.link->SendAt(soon, std::string("AB\x04"));
  b.link->SendAt(soon, std::string("CD\n\x04"));
  EXPECT_EQ(b.Read(ud), std::string("AB\x04" "CD\n"));
  EXPECT_TRUE(b.Has(kEnd));
}

TEST(PrologixRead, SilenceLastsTheHandlesTimeoutThenTimo) {
  AdapterBench b;
  int ud = b.Handle(5, 13);  // 10 s, more than an adapter can wait by itself
  double start = b.link->Now();
  std::string buffer(16, '#');
  b.adapter->ibrd(ud, buffer);
  EXPECT_TRUE(b.Has(kErr | kTimo));
  EXPECT_EQ(b.Err(), kEabo);
  EXPECT_EQ(b.adapter->Status().ibcntl, 0);
  EXPECT_EQ(buffer, std::string(16, '#'));
  EXPECT_NEAR(b.link->Now() - start, 10.0, 0.1) << "over within 0.1 s of the handle's timeout";
  EXPECT_EQ(b.link->Count("++read_tmo_ms 3000"), 1);
  EXPECT_EQ(b.link->Count("++read eoi"), 4) << "asked again each time the adapter gave up (3 s + margin)";
  EXPECT_EQ(b.link->Count("++read_tmo_ms 400"), 1) << "the last read only gets what is left of the timeout";

  // The next message goes out at once: the adapter's last read ended with the timeout.
  const double timedOut = b.link->Now();
  b.link->At(5).answers.push_back(Part{"NEXT\n"});
  b.adapter->ibwrt(ud, "ID?");
  EXPECT_EQ(b.Read(ud), "NEXT\n");
  EXPECT_LT(b.link->Now() - timedOut, 0.05);
}

TEST(PrologixRead, ASlowDeviceIsWaitedForWithinTheTimeout) {
  AdapterBench b;
  b.link->At(5).answers.push_back(Part{"SLOW\n", true, 7.0});
  int ud = b.Handle(5, 13);
  b.adapter->ibwrt(ud, "MEAS?");
  EXPECT_EQ(b.Read(ud), "SLOW\n");
  EXPECT_TRUE(b.Has(kEnd));
  EXPECT_FALSE(b.Has(kErr));

  b.link->At(5).answers.push_back(Part{"TOO SLOW\n", true, 4.0});
  int quick = b.Handle(5, 12);  // 3 s
  b.adapter->ibwrt(quick, "MEAS?");
  b.Read(quick);
  EXPECT_TRUE(b.Has(kErr | kTimo));
}

TEST(PrologixRead, AMessageCutInTheMiddleTimesOutWithWhatCame) {
  AdapterBench b;
  b.link->At(5).answers.push_back(Part{"1.23", false});
  int ud = b.Handle(5, 12);
  std::string buffer(8, '#');
  b.adapter->ibrd(ud, buffer);
  EXPECT_TRUE(b.Has(kErr | kTimo));
  EXPECT_EQ(b.adapter->Status().ibcntl, 4);
  EXPECT_EQ(buffer, "1.23####");

  // A device that pauses between two parts for longer than the adapter waits, but within the
  // handle's timeout, still delivers one message with END.
  b.link->At(5).answers.push_back(Part{"4.5", false});
  b.link->At(5).answers.push_back(Part{"6E-3\n", true, 2.0});
  int patient = b.Handle(5, 13);
  b.adapter->ibwrt(patient, "MEAS?");
  EXPECT_EQ(b.Read(patient), "4.56E-3\n");
  EXPECT_TRUE(b.Has(kEnd));
}

TEST(PrologixRead, LateBytesFromAnAbandonedReadDoNotPassForTheNextAnswer) {
  AdapterBench b;
  int ud = b.Handle(5, 10);  // 300 ms
  // The adapter, still reading when the host gave up, delivers just after the timeout.
  b.link->SendAt(b.link->Now() + 0.305, std::string("LATE\n\x04"));
  b.Read(ud);
  EXPECT_TRUE(b.Has(kErr | kTimo));
  b.link->At(5).answers.push_back(Part{"RIGHT\n", true, 0.2});
  b.adapter->ibwrt(ud, "ID?");
  EXPECT_EQ(b.Read(ud), "RIGHT\n");
}

TEST(PrologixRead, ABrokenLinkEndsEveryCallWithAnOperatingSystemError) {
  AdapterBench b;
  int ud = b.Handle();
  b.link->Break();
  b.adapter->ibwrt(ud, "ID?");
  EXPECT_TRUE(b.Has(kErr));
  EXPECT_EQ(b.Err(), kEdvr);
  EXPECT_EQ(b.adapter->LinkError(), "the adapter was unplugged");
  b.Read(ud);
  EXPECT_EQ(b.Err(), kEdvr);
  std::vector<int16_t> results(15);
  b.adapter->FindLstn(0, {0, 1, 2, kNoAddr}, results, 15);
  EXPECT_EQ(b.Err(), kEdvr);
}

TEST(PrologixFiles, ReadToAndWriteFromFiles) {
  namespace fs = std::filesystem;
  fs::path file = fs::temp_directory_path() / ("veridane_prologix_" + std::to_string(::getpid()));
  AdapterBench b;
  b.link->At(5).answers.push_back(Part{std::string("BIN\r\n\0\x04Z", 8)});
  int ud = b.Handle();
  b.adapter->ibrdf(ud, file.string());
  EXPECT_TRUE(b.Has(kEnd));
  EXPECT_EQ(b.adapter->Status().ibcntl, 8);
  {
    std::ifstream in(file, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, std::string("BIN\r\n\0\x04Z", 8));
  }
  b.adapter->ibwrtf(ud, file.string());
  EXPECT_EQ(b.link->At(5).received.back(), std::string("BIN\r\n\0\x04Z", 8));
  fs::remove(file);

  b.adapter->ibwrtf(ud, file.string());
  EXPECT_EQ(b.Err(), kEfso);
  b.link->At(5).answers.push_back(Part{"KEPT\n"});
  b.adapter->ibrdf(ud, (file / "no" / "folder").string());
  EXPECT_EQ(b.Err(), kEfso);
  EXPECT_EQ(b.Read(ud), "KEPT\n") << "a file error leaves the answer to be read";
}

}  // namespace
}  // namespace veridane::testing

namespace veridane::testing {
namespace {

TEST(PrologixBus, TheBusLayerFindsAndQueriesADeviceThroughTheAdapter) {
  AdapterBench b;
  b.link->At(7).answers.push_back(Part{"ID TEK/TDS 340,CF:91.1CT FV:v1.00\n"});
  b.link->At(7).answers.push_back(Part{"4.0E-3\n"});
  ScriptedOperator technician;
  VirtualClock clock;
  GpibBus bus(*b.adapter, technician, clock);
  bus.GpibInit(1);
  EXPECT_EQ(bus.listeners.Addresses(), (std::vector<int16_t>{7}));
  int16_t scope = bus.FindDevice("ID?", "TDS 340");
  ASSERT_NE(scope, 0);
  EXPECT_EQ(bus.GpibQuery(scope, "CH1:SCA?"), "4.0E-3");
  EXPECT_TRUE(technician.Prompts().empty());
  EXPECT_EQ(b.link->At(7).received, (Lines{"ID?", "CH1:SCA?"}));
}

}  // namespace
}  // namespace veridane::testing
