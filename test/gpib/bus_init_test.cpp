// Bus start-up: the listener tables and the initialisation messages of each mode.
#include <gtest/gtest.h>

#include <numeric>

#include "test/support/fake_operator.h"
#include "gpib/bus/gpib_bus.h"
#include "test/support/recording_gpib.h"

namespace veridane {
namespace {

using Bench = gpibtest::BusBench;

std::vector<int16_t> Addresses(int16_t first, int count) {
  std::vector<int16_t> list(count);
  std::iota(list.begin(), list.end(), first);
  return list;
}

TEST(GpibInit, TakesControlAndListsTheListenersAfterTheBoard) {
  Bench b;
  b.driver.SetListeners({9, 2, 5});
  b.bus.GpibInit(1);
  EXPECT_EQ(b.driver.Log(),
            (std::vector<std::string>{"RegisterGlobals() -> 0", "SendIFC(0)", "ibsre(0, 1)", "FindLstn(0, 15) -> 0 2 5 9 0"}));
  std::vector<int> expectedList = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
                                   16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, -1};
  EXPECT_EQ(b.driver.CallsOf("FindLstn").at(0).list, expectedList);
  EXPECT_EQ(b.bus.listeners.Addresses(), (std::vector<int16_t>{2, 5, 9}));
  EXPECT_EQ(b.bus.listeners.FreeCount(), 3u);
  EXPECT_TRUE(b.op.prompts.empty());
}

TEST(GpibInit, ExactlyFourteenInstrumentsAreAllUsable) {
  Bench b;
  b.driver.SetListeners(Addresses(1, 14));
  b.bus.GpibInit(1);
  ASSERT_EQ(b.bus.listeners.found.size(), 14u);
  EXPECT_EQ(b.bus.listeners.FreeCount(), 14u);
  for (int i = 1; i <= 14; ++i) EXPECT_EQ(b.bus.listeners.found[static_cast<size_t>(i - 1)].address, i);
  EXPECT_TRUE(b.op.prompts.empty());
}

TEST(GpibInit, FifteenInstrumentsAreTooManyInEveryMode) {
  for (int16_t mode : {1, 0, -1}) {
    Bench b;
    b.driver.SetListeners(Addresses(1, 15));
    if (mode == 1) {
      EXPECT_THROW(b.bus.GpibInit(mode), ProgramEnded);
    } else {
      b.bus.GpibInit(mode);
      EXPECT_EQ(b.op.endCount, 0);
    }
    ASSERT_EQ(b.op.prompts.size(), 1u) << mode;
    EXPECT_EQ(b.op.prompts[0].text, "Too many listeners found.\nMax 14 listeners allowed.\n\nCorrect problem and restart.");
    EXPECT_EQ(b.op.prompts[0].caption, "Initialization Error 20");
    EXPECT_EQ(b.op.prompts[0].style, 16);
    EXPECT_TRUE(b.bus.listeners.found.empty()) << "nothing usable after a failed listing";
  }
}

TEST(GpibInit, EmptyBusDependsOnTheMode) {
  {
    Bench b;
    EXPECT_THROW(b.bus.GpibInit(1), ProgramEnded);
    ASSERT_EQ(b.op.prompts.size(), 1u);
    EXPECT_EQ(b.op.prompts[0].text, "No listeners found.\n\nCorrect problem and restart.");
    EXPECT_EQ(b.op.prompts[0].caption, "Initialization Error 14");
    EXPECT_EQ(b.op.prompts[0].style, 16);
  }
  {
    Bench b;
    b.bus.GpibInit(-1);
    EXPECT_TRUE(b.op.prompts.empty());
    EXPECT_TRUE(b.bus.listeners.found.empty());
  }
  {
    Bench b;
    b.bus.GpibInit(0);
    ASSERT_EQ(b.op.prompts.size(), 1u);
    EXPECT_EQ(b.op.prompts[0].text, "No listeners found.");
    EXPECT_EQ(b.op.endCount, 0);
  }
}

TEST(GpibInit, OtherDriverErrorsCarryOnlyTheRestartAdvice) {
  Bench b;
  b.driver.FailNext("FindLstn", kEneb);
  b.bus.GpibInit(-1);
  ASSERT_EQ(b.op.prompts.size(), 1u);
  EXPECT_EQ(b.op.prompts[0].text, "\n\nCorrect problem and restart.");
  EXPECT_EQ(b.op.prompts[0].caption, "Initialization Error 7");
  EXPECT_EQ(b.op.endCount, 0);
}

TEST(GpibInit, ASecondInitialisationForgetsTheFirst) {
  Bench b;
  b.driver.SetListeners({1, 2, 3, 4});
  b.bus.GpibInit(1);
  b.driver.SetListeners({7});
  b.bus.GpibInit(1);
  EXPECT_EQ(b.bus.listeners.Addresses(), (std::vector<int16_t>{7}));
  EXPECT_EQ(b.bus.listeners.FreeCount(), 1u);
}

}  // namespace
}  // namespace veridane
