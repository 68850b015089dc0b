#include "ui/qt/entry_guard.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/operator.h"

namespace veridane {
namespace {

// An ended program asks the application to quit, and Qt keeps that request: every later
// modal window of the test run would close at once. One short run of the application's own
// loop takes it back.
void ForgetTheQuit() {
  QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
}

TEST(EntryGuard, CompletedActionLeavesTheProgramRunning) {
  EntryGuard guard;
  int hookRuns = 0;
  guard.SetShutdownHook([&] { ++hookRuns; });
  bool ran = false;
  EXPECT_TRUE(guard.Run([&] { ran = true; }));
  EXPECT_TRUE(ran);
  EXPECT_FALSE(guard.Ended());
  EXPECT_EQ(hookRuns, 0);
}

TEST(EntryGuard, ProgramEndedRunsTheHookOnceAndStopsLaterEntries) {
  EntryGuard guard;
  int hookRuns = 0;
  guard.SetShutdownHook([&] { ++hookRuns; });
  EXPECT_FALSE(guard.Run([] { throw ProgramEnded(); }));
  EXPECT_TRUE(guard.Ended());
  EXPECT_EQ(hookRuns, 1);
  EXPECT_EQ(guard.ExitCode(), 1);

  bool ranAfterEnd = false;
  EXPECT_FALSE(guard.Run([&] { ranAfterEnd = true; }));
  EXPECT_FALSE(ranAfterEnd);
  EXPECT_EQ(hookRuns, 1);
  ForgetTheQuit();
}

TEST(EntryGuard, HookEndingTheProgramAgainDoesNotEscape) {
  EntryGuard guard;
  int hookRuns = 0;
  guard.SetShutdownHook([&] {
    ++hookRuns;
    throw ProgramEnded();
  });
  EXPECT_FALSE(guard.Run([] { throw ProgramEnded(); }));
  EXPECT_EQ(hookRuns, 1);
  ForgetTheQuit();
}

TEST(EntryGuard, OtherExceptionsAreNotSwallowed) {
  EntryGuard guard;
  EXPECT_THROW(guard.Run([] { throw std::logic_error("bug"); }), std::logic_error);
  EXPECT_FALSE(guard.Ended());
}

}  // namespace
}  // namespace veridane
