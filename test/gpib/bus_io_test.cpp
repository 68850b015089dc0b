// Write, read and query: chunking, timeouts, line ends and the messages around them.
#include <gtest/gtest.h>

#include "test/support/fake_operator.h"
#include "gpib/bus/gpib_bus.h"
#include "test/support/recording_gpib.h"

namespace veridane {
namespace {

// The shared bench with one device handle at address 6, opened behind the bus's back.
struct Bench : gpibtest::BusBench {
  Bench() {
    handle = static_cast<int16_t>(driver.ibdev(0, 6, 0, 12, 1, 0));
    driver.ClearLog();
  }
  int16_t handle = 0;
};

TEST(GpibWrite, SendsTheWholeTextAndChecksForErrors) {
  Bench b;
  b.bus.GpibWriteFailed = true;
  b.bus.GpibWrite(b.handle, "CH1:SCA .002");
  EXPECT_EQ(b.driver.WrittenTo(6), (std::vector<std::string>{"CH1:SCA .002"}));
  EXPECT_FALSE(b.bus.GpibWriteFailed) << "every write starts clean";

  b.driver.FailNext("ibwrt", kEnol);
  b.bus.GpibWrite(b.handle, "*RST");
  ASSERT_EQ(b.op.prompts.size(), 1u);
  EXPECT_EQ(b.op.prompts[0].text, "No listener on write function.\nSelect OK to continue or Cancel to terminate program.");
  EXPECT_EQ(b.op.prompts[0].caption, "GPIB ERROR # 2");
  EXPECT_TRUE(b.bus.GpibWriteFailed);
}

TEST(GpibRead, StripsLineEndsAndRestoresTheTimeout) {
  Bench b;
  b.driver.AddReply(6, "  4.0E-3\r\n");
  EXPECT_EQ(b.bus.GpibRead(b.handle), "4.0E-3");
  EXPECT_EQ(b.driver.Log(), (std::vector<std::string>{
                                "RegisterGlobals() -> 0",
                                "ibask(1@6, 3) -> 12",
                                "ibtmo(1@6, 13)",
                                "ibwait(1@6, 16640)",
                                "ibrd(1@6, 512) -> \"  4.0E-3\\r\\n\" END",
                                "ibtmo(1@6, 12)",
                            }));
  EXPECT_TRUE(b.bus.status.End()) << "the status is the read's";
}

TEST(GpibRead, LineEndRules) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1\n", "1"},       {"X\r\n", "X"},   {"X\n\r", "X"},  {"X\n\n\n\n", "X\n"},
      {"\n", ""},         {"\r", ""},       {"A B  ", "A B"}, {"", ""},
  };
  for (const auto& [reply, expected] : cases) {
    Bench b;
    b.driver.AddReply(6, reply);
    EXPECT_EQ(b.bus.GpibRead(b.handle), expected) << testing::EscapeBusText(reply);
  }
}

TEST(GpibRead, LongAnswerComesInChunksUntilEnd) {
  Bench b;
  b.driver.ibtmo(b.handle, 13);
  std::string curve = std::string(700, 'a') + std::string(400, 'b') + "\n";
  b.driver.AddReply(6, curve);
  b.driver.ClearLog();
  EXPECT_EQ(b.bus.GpibRead(b.handle), curve.substr(0, curve.size() - 1));
  EXPECT_EQ(b.driver.Count("ibrd"), 3);
  EXPECT_EQ(b.driver.Count("ibtmo"), 0) << "already at 10 s: nothing to change or restore";
}

TEST(GpibRead, TimeoutOnTheSecondChunkFailsTheWholeRead) {
  Bench b;
  b.driver.AddReply(6, std::string(600, 'x') + "\n");
  b.driver.TimeoutNext("ibrd", 2);
  EXPECT_EQ(b.bus.GpibRead(b.handle), "");
  ASSERT_EQ(b.op.prompts.size(), 1u);
  EXPECT_EQ(b.op.prompts[0].text, "Read cycle failed\nOperation aborted.");
  EXPECT_EQ(b.op.prompts[0].caption, "I/O Error");
  EXPECT_EQ(b.op.prompts[0].style, 48);
  EXPECT_EQ(b.driver.TimeoutOf(b.handle), 12) << "timeout restored after the failure";
  EXPECT_TRUE(b.bus.status.Timo());
}

TEST(GpibRead, AnErrorWithoutTimeoutStopsInsteadOfLoopingForEver) {
  Bench b;
  b.driver.FailNext("ibrd", kEadr);
  EXPECT_EQ(b.bus.GpibRead(b.handle), "");
  EXPECT_EQ(b.driver.Count("ibrd"), 1);
  ASSERT_EQ(b.op.prompts.size(), 1u);
  EXPECT_EQ(b.op.prompts[0].caption, "I/O Error");
}

TEST(GpibQuery, WritesWaitsAndReads) {
  Bench b;
  b.driver.SetAnswer(6, "MEASU:MEAS1:VAL?", "4.0E-3\n");
  EXPECT_EQ(b.bus.GpibQuery(b.handle, "MEASU:MEAS1:VAL?"), "4.0E-3");
  EXPECT_NEAR(b.clock.Now(), 0.1, 1e-6);
  EXPECT_TRUE(b.op.prompts.empty());
}

TEST(GpibQuery, AfterOkOnAWriteErrorTheReadIsSkipped) {
  Bench b;
  b.driver.SetAnswer(6, "ID?", "ID TEK/TDS 340\n");
  b.driver.FailNext("ibwrt", kEnol);
  EXPECT_EQ(b.bus.GpibQuery(b.handle, "ID?"), "");
  EXPECT_EQ(b.driver.Count("ibrd"), 0);
  EXPECT_EQ(b.op.prompts.size(), 1u) << "only the GPIB error, no I/O Error";
}

TEST(GpibQuery, CancelOnAWriteErrorEndsTheProgram) {
  Bench b;
  b.driver.FailNext("ibwrt", kEnol);
  b.op.answers = {kCancel};
  EXPECT_THROW(b.bus.GpibQuery(b.handle, "ID?"), ProgramEnded);
}

TEST(DeviceNotConfigured, EveryOperationRefusesHandleZero) {
  for (int op = 0; op < 3; ++op) {
    Bench b;
    switch (op) {
      case 0: EXPECT_THROW(b.bus.GpibWrite(0, "*RST"), ProgramEnded); break;
      case 1: EXPECT_THROW(b.bus.GpibRead(0), ProgramEnded); break;
      default: EXPECT_THROW(b.bus.GpibQuery(0, "ID?"), ProgramEnded); break;
    }
    ASSERT_EQ(b.op.prompts.size(), 1u);
    EXPECT_EQ(b.op.prompts[0].text, "Device not configured.\n\nCorrect problem and restart.");
    EXPECT_EQ(b.op.prompts[0].caption, "Device Error");
    EXPECT_EQ(b.op.prompts[0].style, 16);
    EXPECT_TRUE(b.driver.Calls().empty());
  }
}

TEST(Wait, PassesTheTimeOnTheEventLoop) {
  Bench b;
  b.bus.Wait(Seconds(2.5));
  EXPECT_DOUBLE_EQ(b.clock.Now(), 2.5);
  b.bus.Wait(std::chrono::milliseconds(100));
  EXPECT_DOUBLE_EQ(b.clock.Now(), 2.6) << "a wait in milliseconds is that many thousandths";
  int count = b.clock.ProcessEventsCount();
  b.bus.Wait(Seconds::zero());
  b.bus.Wait(std::chrono::seconds(-1));
  EXPECT_DOUBLE_EQ(b.clock.Now(), 2.6);
  EXPECT_EQ(b.clock.ProcessEventsCount(), count);
}

}  // namespace
}  // namespace veridane
