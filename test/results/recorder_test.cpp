// The recorder as the frame's store sink: which rows make a run, and a store that fails is
// reported once while the run goes on.
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <fstream>

#include "pv/frame/run_state.h"
#include "results/results_recorder.h"
#include "test/results/results_fixture.h"
#include "test/support/fake_operator.h"

namespace veridane {
namespace {

using gpibtest::FakeOperator;
using testing::OffsetResult;
using testing::ScratchStore;
using testing::SomeRun;

struct RecorderBench {
  explicit RecorderBench(StoreTarget target)
      : recorder(RecorderSeams{std::move(target), [this] { return facts; },
                               [this] { return "2026-12-07T10:00:" + std::to_string(10 + tick++) + "Z"; }, op}) {}
  RunFacts facts = SomeRun("B012345", "");
  int tick = 0;
  FakeOperator op;
  ResultsRecorder recorder;
};

StepResult OfTest(int test, const std::string& step) {
  StepResult result = OffsetResult(step, 0.004f, 0.001f);
  result.test = test;
  result.testName = test == kTestOffsetZero ? "Offset at Zero" : "DC Voltage";
  return result;
}

// The frame says where a run begins; the run is stored with its first row, so a run begun
// without a row leaves nothing behind.
TEST(ResultsRecorder, RowsGoToTheRunUnderWayAndEachRunBegunIsStoredWithItsFirstRow) {
  ScratchStore scratch("runs");
  RecorderBench bench(scratch.Target());
  bench.recorder.BeginRun();
  bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH1 2 mV/div")});
  bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH2 2 mV/div")});
  bench.recorder.Step(AssessedStep{OfTest(kTestGain, "CH1 5 mV/div -990 mV")});
  // The same step again without a new run begun stays in the run: the recorder guesses nothing.
  bench.recorder.Step(AssessedStep{OfTest(kTestGain, "CH1 5 mV/div -990 mV")});
  // The Full Sequence again, begun by the frame.
  bench.recorder.BeginRun();
  bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH1 2 mV/div")});
  bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH2 2 mV/div")});
  ASSERT_TRUE(bench.op.prompts.empty());

  ResultsStore& store = *bench.recorder.Store();
  std::vector<StoredRun> runs = store.Runs();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].facts.startedAt, "2026-12-07T10:00:10Z");  // the first row's time
  std::vector<StoredRow> rows = store.Rows({});
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[3].run.id, runs[0].id);
  EXPECT_EQ(rows[4].run.id, runs[1].id);

  // Runs begun and ended without a row (tests stopped at once) store nothing.
  bench.recorder.BeginRun();
  bench.recorder.EndRun();
  bench.recorder.BeginRun();
  EXPECT_EQ(store.Runs().size(), 2u);
  bench.recorder.Step(AssessedStep{AnswerStepResult("*CAL?", "0", true)});
  bench.recorder.Step(AssessedStep{OfTest(kTestGain, "CH1 5 mV/div -990 mV")});
  runs = store.Runs();
  ASSERT_EQ(runs.size(), 3u);
  rows = store.Rows({});
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[6].run.id, runs[2].id);
  EXPECT_EQ(rows[7].run.id, runs[2].id);
  // A run opened for outcomes before any row is the run the rows then go to.
  bench.recorder.BeginRun();
  ASSERT_TRUE(bench.recorder.OpenRun());
  bench.recorder.Step(AssessedStep{OfTest(kTestGain, "CH1 5 mV/div -990 mV")});
  EXPECT_EQ(store.Runs().size(), 4u);
}

TEST(ResultsRecorder, AnotherScopeOrOperatorStartsANewRun) {
  ScratchStore scratch("facts");
  RecorderBench bench(scratch.Target());
  bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH1 2 mV/div")});
  bench.facts.serial = "B099999";  // a new log for the next scope
  bench.recorder.Step(AssessedStep{OfTest(kTestGain, "CH1 5 mV/div -990 mV")});
  bench.facts.operatorName = "K. Lee";
  bench.recorder.Step(AssessedStep{OfTest(kTestGain, "CH1 10 mV/div 60 mV")});
  std::vector<StoredRun> runs = bench.recorder.Store()->Runs();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].facts.serial, "B012345");
  EXPECT_EQ(runs[1].facts.serial, "B099999");
  EXPECT_EQ(runs[2].facts.operatorName, "K. Lee");
}

TEST(ResultsRecorder, StoreThatCannotBeOpenedIsReportedOnceAndLeftAlone) {
  ScratchStore scratch("blocked");
  std::filesystem::create_directories(scratch.Folder());
  // A file where the database's folder should be.
  { std::ofstream(scratch.Folder() / "blocker") << "x"; }
  RecorderBench bench(ParseStoreTarget((scratch.Folder() / "blocker" / "results.db").string(), ""));
  for (int i = 0; i < 3; ++i) bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH1 2 mV/div")});
  ASSERT_EQ(bench.op.prompts.size(), 1u);
  EXPECT_EQ(bench.op.prompts[0].caption, "Results Database");
  EXPECT_NE(bench.op.prompts[0].text.find("blocker"), std::string::npos) << bench.op.prompts[0].text;
  EXPECT_FALSE(bench.recorder.Working());
  EXPECT_EQ(bench.recorder.RowsNotStored(), 3);
}

// Another program keeps the file locked: the row waits a bounded time, then counts as not
// stored, and so does every row after it.
TEST(ResultsRecorder, LockedFileCostsTheRowNotTheBenchsTime) {
  ScratchStore scratch("locked");
  {
    ResultsStore make(scratch.Target());
    ASSERT_TRUE(make.Open()) << make.LastError();
  }
  QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "locker");
  other.setDatabaseName(QString::fromStdString(scratch.File()));
  ASSERT_TRUE(other.open());
  ASSERT_TRUE(QSqlQuery(other).exec("BEGIN EXCLUSIVE"));
  StoreTarget target = scratch.Target();
  target.waitMilliseconds = 100;
  RecorderBench bench(target);
  bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH1 2 mV/div")});
  bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH2 2 mV/div")});
  QSqlQuery(other).exec("ROLLBACK");
  other.close();
  other = QSqlDatabase();
  QSqlDatabase::removeDatabase("locker");
  ASSERT_EQ(bench.op.prompts.size(), 1u);
  EXPECT_NE(bench.op.prompts[0].text.find("locked"), std::string::npos) << bench.op.prompts[0].text;
  EXPECT_EQ(bench.recorder.RowsNotStored(), 2);
}

TEST(ResultsRecorder, StoreLostDuringTheRunIsReportedOnce) {
  ScratchStore scratch("lost");
  RecorderBench bench(scratch.Target());
  bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH1 2 mV/div")});
  ASSERT_TRUE(bench.op.prompts.empty());
  // The table goes away under the running program (a restore, a careless admin).
  {
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
    other.setDatabaseName(QString::fromStdString(scratch.File()));
    ASSERT_TRUE(other.open());
    ASSERT_TRUE(QSqlQuery(other).exec("DROP TABLE results"));
    other.close();
  }
  QSqlDatabase::removeDatabase("other");
  for (int i = 0; i < 3; ++i) bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH2 2 mV/div")});
  ASSERT_EQ(bench.op.prompts.size(), 1u);
  EXPECT_NE(bench.op.prompts[0].text.find("results"), std::string::npos);
}

TEST(ResultsRecorder, TurnedOffStoresNothingAndSaysNothing) {
  RecorderBench bench(ParseStoreTarget("off", "/nowhere"));
  bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH1 2 mV/div")});
  EXPECT_TRUE(bench.op.prompts.empty());
  EXPECT_EQ(bench.recorder.Store(), nullptr);
  EXPECT_EQ(bench.recorder.RowsNotStored(), 0);
}

TEST(ResultsRecorder, UnreadableSettingIsReportedAtTheFirstRow) {
  RecorderBench bench(ParseStoreTarget("postgresql://db", "/nowhere"));
  bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH1 2 mV/div")});
  bench.recorder.Step(AssessedStep{OfTest(kTestOffsetZero, "CH2 2 mV/div")});
  ASSERT_EQ(bench.op.prompts.size(), 1u);
  EXPECT_NE(bench.op.prompts[0].text.find("names no database"), std::string::npos) << bench.op.prompts[0].text;
}

}  // namespace
}  // namespace veridane
