// Faultbook's traffic with the scope, against a recording driver: the exact service commands,
// where the log ends, the two questions before clearing, and replies that go wrong.
#include <gtest/gtest.h>

#include "faultbook/errlog_reply.h"
#include "faultbook/faultbook.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "scope/scope_identity.h"
#include "test/support/recording_gpib.h"
#include "test/support/scripted_operator.h"

namespace veridane::testing {
namespace {

constexpr int kScopeAddress = 3;
using Texts = std::vector<std::string>;

class FaultbookTest : public ::testing::Test {
 protected:
  FaultbookTest() {
    scope.ScopeDevice = bus.ibdev(0, kScopeAddress, 0, 12, 1, 0);
    scope.ScopeModel = "TDS 340";
    gpib.ClearLog();
  }
  void TearDown() override { op.ExpectAllConsumed(); }

  Texts Written() const { return gpib.WrittenTo(kScopeAddress); }

  RecordingGpib gpib;
  ScriptedOperator op;
  VirtualClock clock;
  GpibBus bus{gpib, op, clock};
  ScopeIdentity scope;
  Faultbook book{bus, scope};
};

TEST_F(FaultbookTest, FirstReplyThenNextUntilTheEmptyString) {
  gpib.AddReply(kScopeAddress, "\"A\",\"B\",\"C\"\n");
  gpib.AddReply(kScopeAddress, "\"D\"\n");
  gpib.AddReply(kScopeAddress, "\"\"\n");
  // The count so far is told as the entries arrive: the first reply's three, then one more.
  std::vector<size_t> soFar;
  book.Refresh([&](size_t count) { soFar.push_back(count); });
  EXPECT_EQ(soFar, (std::vector<size_t>{3, 4}));
  EXPECT_EQ(ErrorLogReading(4), " Reading the error log ... 4 entries so far.");
  EXPECT_EQ(book.List1(), (Texts{"A", "B", "C", "D"}));
  EXPECT_EQ(book.Label1(), " 4 logged errors found.");
  EXPECT_TRUE(book.CommandsEnabled());
  EXPECT_EQ(Written(), (Texts{"HEAD 0", "PASSWORD TANGELO", "ERRLOG?", "ERRLOG:NEXT?", "ERRLOG:NEXT?"}));
}

TEST_F(FaultbookTest, SummaryCountsAndTheEmptyLog) {
  gpib.AddReply(kScopeAddress, "\"Fan stalled\"\n");
  gpib.AddReply(kScopeAddress, "\"\"\n");
  book.ReadErrorLog();
  EXPECT_EQ(book.Label1(), " 1 logged error found.");

  gpib.ClearLog();
  gpib.AddReply(kScopeAddress, "\"\"\n");
  book.ReadErrorLog();
  EXPECT_TRUE(book.List1().empty());
  EXPECT_EQ(book.Label1(), " No logged errors found.");
  EXPECT_FALSE(book.CommandsEnabled());
  // The empty string in the first reply is the end: no further entry is asked for.
  EXPECT_EQ(Written(), (Texts{"ERRLOG?"}));
  EXPECT_EQ(ErrorLogSummary(12), " 12 logged errors found.");
}

TEST_F(FaultbookTest, AnEntryStartingWithZeroEndsTheLogInEitherPhase) {
  gpib.AddReply(kScopeAddress, "\"A\",\"0 end\",\"B\"\n");
  book.ReadErrorLog();
  EXPECT_EQ(book.List1(), (Texts{"A"}));

  gpib.AddReply(kScopeAddress, "\"A\",\"B\"\n");
  gpib.AddReply(kScopeAddress, "\"C\"\n");
  gpib.AddReply(kScopeAddress, "\"0\"\n");
  book.ReadErrorLog();
  EXPECT_EQ(book.List1(), (Texts{"A", "B", "C"}));

  // Only a model number above 309 makes "0" an end mark; it is read from characters 5 to 7.
  EXPECT_EQ(ModelNumber("TDS 340A"), 340);
  EXPECT_EQ(ModelNumber("TDS 310"), 310);
  EXPECT_EQ(ModelNumber(""), 0);
  EXPECT_EQ(ModelNumber("TDS 9E9"), 0);  // a number no int holds
  EXPECT_FALSE(IsEndOfLog("0 end", 300));
  EXPECT_TRUE(IsEndOfLog("0 end", 310));
  EXPECT_TRUE(IsEndOfLog("", 300));
  EXPECT_EQ(EntriesOfFirstReply("\"A\",\"0x\"", 300).entries, (Texts{"A", "0x"}));
}

TEST_F(FaultbookTest, WhatStandsBetweenTheQuotesIsNotExamined) {
  // A header, odd separators, entries with commas and 8-bit characters inside.
  gpib.AddReply(kScopeAddress, ":ERRLOG \"12,5 \xB5s late\" ; junk \"CH2 \xB1 drift\"\n");
  gpib.AddReply(kScopeAddress, ":ERRLOG:NEXT \"\"\n");
  book.ReadErrorLog();
  EXPECT_EQ(book.List1(), (Texts{"12,5 \xB5s late", "CH2 \xB1 drift"}));
}

TEST_F(FaultbookTest, RepliesWithoutAClosedQuotedStringEndTheLog) {
  // An open quote at the end of the first reply: the rest comes with ERRLOG:NEXT?.
  gpib.AddReply(kScopeAddress, "\"A\",\"B\n");
  gpib.AddReply(kScopeAddress, "no quotes here\n");
  book.ReadErrorLog();
  EXPECT_EQ(book.List1(), (Texts{"A"}));
  EXPECT_EQ(Written(), (Texts{"ERRLOG?", "ERRLOG:NEXT?"}));
}

TEST_F(FaultbookTest, AScopeThatStopsAnsweringEndsTheLogAfterTheReadError) {
  gpib.AddReply(kScopeAddress, "\"A\",\"B\",\"C\",\"D\"\n");
  // ERRLOG:NEXT? gets no reply: the read times out.
  op.Expect("Read cycle failed\nOperation aborted.", kOkOnly + kExclamation, "I/O Error", kOk);
  book.ReadErrorLog();
  EXPECT_EQ(book.List1(), (Texts{"A", "B", "C", "D"}));
  EXPECT_EQ(book.Label1(), " 4 logged errors found.");
}

TEST_F(FaultbookTest, AScopeThatNeverSaysEndIsReadUpToTheLimit) {
  for (int i = 0; i <= 10000; ++i) gpib.AddReply(kScopeAddress, "\"again\"\n");
  book.ReadErrorLog();
  EXPECT_EQ(book.List1().size(), 10000u);
  EXPECT_TRUE(book.Truncated());
}

TEST_F(FaultbookTest, ClearAsksTwiceAndNoSendsNothing) {
  op.Expect("This will clear the error log in the scope.\nAre you sure you want to do this ?", 4, "Clear Error Log",
            kNo);
  EXPECT_FALSE(ConfirmClear(op));
  op.Expect("This will clear the error log in the scope.\nAre you sure you want to do this ?", 4, "Clear Error Log",
            kYes);
  op.Expect("Click Yes to confirm.", 4, "Clear Error Log", kNo);
  EXPECT_FALSE(ConfirmClear(op));
  op.Expect("This will clear the error log in the scope.\nAre you sure you want to do this ?", 4, "Clear Error Log",
            kYes);
  op.Expect("Click Yes to confirm.", 4, "Clear Error Log", kYes);
  EXPECT_TRUE(ConfirmClear(op));
  EXPECT_TRUE(Written().empty());

  gpib.AddReply(kScopeAddress, "\"\"\n");
  book.ClearInScope();
  // No password here: the one sent with the last read is relied on.
  EXPECT_EQ(Written(), (Texts{"ERRLOG CLEAR", "ERRLOG?"}));
  EXPECT_EQ(book.Label1(), " No logged errors found.");
}

TEST_F(FaultbookTest, CaptionNamesTheScopeAndTheAddressOfItsOwnSearch) {
  // A general handle elsewhere changes nothing.
  bus.listeners.found = {Listener{1, true, 99}, Listener{static_cast<int16_t>(kScopeAddress), false, scope.ScopeDevice}};
  EXPECT_EQ(book.ConnectedCaption("Embedded Faultbook"),
            "Embedded Faultbook   -   Connected to TDS 340 @ GPIB Addr: 3");
  EXPECT_EQ(VerErr(), "2025-02-14 - v1.3");
}

}  // namespace
}  // namespace veridane::testing
