// The recorder between the display and the store: which rows make a run, and a store that
// fails is reported once while the run goes on.
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

TEST(ResultsRecorder, ConsecutiveTestsShareARunAndARepeatedTestStartsANewOne) {
  ScratchStore scratch("runs");
  RecorderBench bench(scratch.Target());
  bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH1 2 mV/div"));
  bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH2 2 mV/div"));
  bench.recorder.RecordResult(OfTest(kTestGain, "CH1 5 mV/div -990 mV"));
  // The Full Sequence again: Offset at Zero comes round a second time.
  bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH1 2 mV/div"));
  bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH2 2 mV/div"));
  ASSERT_TRUE(bench.op.prompts.empty());

  ResultsStore& store = *bench.recorder.Store();
  std::vector<StoredRun> runs = store.Runs();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].facts.startedAt, "2026-12-07T10:00:10Z");  // the first row's time
  std::vector<StoredRow> rows = store.Rows({});
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[2].run.id, runs[0].id);
  EXPECT_EQ(rows[3].run.id, runs[1].id);

  // A self calibration after rows begins the next Full Sequence: a run of its own from there.
  bench.recorder.RecordResult(AnswerStepResult("*CAL?", "0", true));
  bench.recorder.RecordResult(OfTest(kTestGain, "CH1 5 mV/div -990 mV"));
  runs = store.Runs();
  ASSERT_EQ(runs.size(), 3u);
  rows = store.Rows({});
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[5].run.id, runs[2].id);
  EXPECT_EQ(rows[6].run.id, runs[2].id);
}

TEST(ResultsRecorder, AnotherScopeOrOperatorStartsANewRun) {
  ScratchStore scratch("facts");
  RecorderBench bench(scratch.Target());
  bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH1 2 mV/div"));
  bench.facts.serial = "B099999";  // a new log for the next scope
  bench.recorder.RecordResult(OfTest(kTestGain, "CH1 5 mV/div -990 mV"));
  bench.facts.operatorName = "K. Lee";
  bench.recorder.RecordResult(OfTest(kTestGain, "CH1 10 mV/div 60 mV"));
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
  for (int i = 0; i < 3; ++i) bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH1 2 mV/div"));
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
  bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH1 2 mV/div"));
  bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH2 2 mV/div"));
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
  bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH1 2 mV/div"));
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
  for (int i = 0; i < 3; ++i) bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH2 2 mV/div"));
  ASSERT_EQ(bench.op.prompts.size(), 1u);
  EXPECT_NE(bench.op.prompts[0].text.find("results"), std::string::npos);
}

TEST(ResultsRecorder, TurnedOffStoresNothingAndSaysNothing) {
  RecorderBench bench(ParseStoreTarget("off", "/nowhere"));
  bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH1 2 mV/div"));
  EXPECT_TRUE(bench.op.prompts.empty());
  EXPECT_EQ(bench.recorder.Store(), nullptr);
  EXPECT_EQ(bench.recorder.RowsNotStored(), 0);
}

TEST(ResultsRecorder, UnreadableSettingIsReportedAtTheFirstRow) {
  RecorderBench bench(ParseStoreTarget("postgresql://db", "/nowhere"));
  bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH1 2 mV/div"));
  bench.recorder.RecordResult(OfTest(kTestOffsetZero, "CH2 2 mV/div"));
  ASSERT_EQ(bench.op.prompts.size(), 1u);
  EXPECT_NE(bench.op.prompts[0].text.find("names no database"), std::string::npos) << bench.op.prompts[0].text;
}

}  // namespace
}  // namespace veridane
