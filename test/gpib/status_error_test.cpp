// Status copies, driver registration and the operator report of driver errors.
#include <gtest/gtest.h>

#include "test/support/fake_operator.h"
#include "gpib/bus/gpib_bus.h"
#include "test/support/recording_gpib.h"

namespace veridane {
namespace {

using Bench = gpibtest::BusBench;

TEST(StatusVars, SixteenBitCopiesAreTheLowBitsTakenAsSigned) {
  StatusVars status;
  status.CopyFrom({0x1C100, 0x10006, 0x18001});
  EXPECT_EQ(status.ibsta, -16128);  // 0xC100: ERR and TIMO make it negative
  EXPECT_TRUE(status.Err());
  EXPECT_TRUE(status.Timo());
  EXPECT_FALSE(status.End());
  EXPECT_EQ(status.iberr, 6);
  EXPECT_EQ(status.ibcntl, 0x18001);
  EXPECT_EQ(status.ibcnt, -32767);

  status.CopyFrom({kEnd | kCmpl, 0, 300});
  EXPECT_EQ(status.ibsta, 0x2100);
  EXPECT_TRUE(status.End());
  EXPECT_FALSE(status.Err());
  EXPECT_EQ(status.ibcnt, 300);
}

TEST(Registration, HappensOnceAndReplacesAnotherRegisteredSet) {
  Bench b;
  b.driver.ScriptRegistration({1, 0});
  b.bus.SendIFC(0);
  b.bus.ibsre(0, 1);
  EXPECT_EQ(b.driver.Log(), (std::vector<std::string>{"RegisterGlobals() -> 1", "UnregisterGlobals()",
                                                      "RegisterGlobals() -> 0", "SendIFC(0)", "ibsre(0, 1)"}));
  EXPECT_FALSE(b.bus.status.Err());
}

TEST(Registration, FailureReportsAnOperatingSystemErrorAndIsRetried) {
  for (int result : {2, 3}) {
    Bench b;
    b.driver.ScriptRegistration({result});
    int16_t handle = b.bus.ibdev(0, 1, 0, 11, 1, 0);
    EXPECT_EQ(handle, -1);
    EXPECT_EQ(b.driver.Count("ibdev"), 0) << "no driver call without registered status";
    EXPECT_EQ(b.driver.Count("UnregisterGlobals"), 1);
    EXPECT_EQ(b.bus.status.ibsta, -32768);
    EXPECT_EQ(b.bus.status.iberr, 0);
    EXPECT_EQ(static_cast<uint32_t>(b.bus.status.ibcntl), 0xDEAD37F0u);

    b.bus.GpibErrorCheck();
    ASSERT_EQ(b.op.prompts.size(), 1u);
    EXPECT_EQ(b.op.prompts[0].text,
              "Operating system error.\nSelect OK to continue or Cancel to terminate program.");
    EXPECT_EQ(b.op.prompts[0].caption, "GPIB ERROR # 0");

    // The next call registers again and then reaches the driver.
    EXPECT_EQ(b.bus.ibdev(0, 1, 0, 11, 1, 0), 1);
    EXPECT_EQ(b.driver.Count("RegisterGlobals"), 2);
    EXPECT_FALSE(b.bus.status.Err());
  }
}

TEST(GpibErrorCheck, EveryCodeHasItsText) {
  const std::vector<std::pair<int16_t, std::string>> table = {
      {0, "Operating system error."},
      {1, "Function requires GPIB board to be CIC."},
      {2, "No listener on write function."},
      {3, "GPIB board not addressed correctly."},
      {4, "Invalid argument to function call."},
      {5, "GPIB board not system controller as required."},
      {6, "I/O operation aborted - timeout."},
      {7, "Non-existent GPIB board."},
      {8, "Unknown error."},
      {9, "Unknown error."},
      {10, "Asynchronous I/O in progress."},
      {11, "No capability for operation."},
      {12, "File system error."},
      {13, "Unknown error."},
      {14, "GPIB bus eror."},
      {15, "Serial poll status queue owerflow."},
      {16, "SRQ stuck in on position."},
      {17, "Unknown error."},
      {19, "Unknown error."},
      {20, "Table problem."},
      {21, "Unknown error."},
      {-1, "Unknown error."},
  };
  for (const auto& [code, text] : table) EXPECT_EQ(GpibErrorText(code), text) << code;
}

TEST(GpibErrorCheck, UnknownCodeShowsItsNumberInTheCaptionAndOkContinues) {
  Bench b;
  b.bus.status.ibsta = static_cast<int16_t>(kErr);
  b.bus.status.iberr = 8;
  b.bus.GpibErrorCheck();
  ASSERT_EQ(b.op.prompts.size(), 1u);
  EXPECT_EQ(b.op.prompts[0].text, "Unknown error.\nSelect OK to continue or Cancel to terminate program.");
  EXPECT_EQ(b.op.prompts[0].caption, "GPIB ERROR # 8");
  EXPECT_EQ(b.op.prompts[0].style, 49);
  EXPECT_TRUE(b.bus.GpibWriteFailed);
  EXPECT_EQ(b.op.endCount, 0);

  b.bus.status.iberr = -3;
  b.bus.GpibErrorCheck();
  EXPECT_EQ(b.op.prompts[1].caption, "GPIB ERROR #-3");
  b.bus.status.iberr = 20;
  b.bus.GpibErrorCheck();
  EXPECT_EQ(b.op.prompts[2].caption, "GPIB ERROR # 20");
}

TEST(GpibErrorCheck, CancelEndsTheProgram) {
  Bench b;
  b.bus.status.ibsta = static_cast<int16_t>(kErr | kTimo);
  b.bus.status.iberr = 6;
  b.op.answers = {kCancel};
  EXPECT_THROW(b.bus.GpibErrorCheck(), ProgramEnded);
  EXPECT_EQ(b.op.endCount, 1);
}

TEST(GpibErrorCheck, SilentWithoutErrEvenOnTimeout) {
  Bench b;
  b.bus.status.ibsta = static_cast<int16_t>(kTimo | kCmpl);
  b.bus.status.iberr = 6;
  b.bus.GpibErrorCheck();
  EXPECT_TRUE(b.op.prompts.empty());
  EXPECT_FALSE(b.bus.GpibWriteFailed);
}

}  // namespace
}  // namespace veridane
