// The SQLite store: schema made and migrated, rows kept with their numbers, read back by
// scope and test.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "results/results_schema.h"
#include "results/results_store.h"
#include "uncertainty/step_uncertainty.h"
#include "test/results/results_fixture.h"

namespace veridane {
namespace {

using testing::OffsetResult;
using testing::ScratchStore;
using testing::SomeRun;

// A raw connection to the file, beside the store, to see and shape what is in it.
class RawFile {
 public:
  explicit RawFile(const std::string& file) {
    db_ = QSqlDatabase::addDatabase("QSQLITE", "raw");
    db_.setDatabaseName(QString::fromStdString(file));
    EXPECT_TRUE(db_.open());
  }
  ~RawFile() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase("raw");
  }
  QSqlDatabase& Db() { return db_; }
  QVariant One(const QString& sql) {
    QSqlQuery query(db_);
    EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
    return query.next() ? query.value(0) : QVariant();
  }

 private:
  QSqlDatabase db_;
};

TEST(ResultsStore, EmptyFileGetsTheWholeSchema) {
  ScratchStore scratch("empty");
  {
    ResultsStore store(scratch.Target());
    ASSERT_TRUE(store.Open()) << store.LastError();  // the folder is made too
  }
  RawFile raw(scratch.File());
  EXPECT_EQ(ReadSchemaVersion(raw.Db()), kResultsSchemaVersion);
  EXPECT_EQ(raw.One("SELECT COUNT(*) FROM schema_version").toInt(), kResultsSchemaVersion);
  EXPECT_TRUE(raw.Db().record("runs").contains("source"));
  // Opening again changes nothing.
  ResultsStore again(scratch.Target());
  ASSERT_TRUE(again.Open()) << again.LastError();
  EXPECT_EQ(raw.One("SELECT COUNT(*) FROM schema_version").toInt(), kResultsSchemaVersion);
}

TEST(ResultsStore, AnotherProgramsDatabaseIsRefusedUntouched) {
  ScratchStore scratch("foreign");
  std::filesystem::create_directories(scratch.Folder());
  {
    RawFile raw(scratch.File());
    ASSERT_TRUE(QSqlQuery(raw.Db()).exec("CREATE TABLE invoices (id INTEGER PRIMARY KEY, total REAL)"));
  }
  const auto before = std::filesystem::file_size(scratch.File());
  ResultsStore store(scratch.Target());
  EXPECT_FALSE(store.Open());
  EXPECT_NE(store.LastError().find("invoices"), std::string::npos) << store.LastError();
  RawFile raw(scratch.File());
  EXPECT_EQ(raw.Db().tables(), QStringList{"invoices"});
  EXPECT_EQ(std::filesystem::file_size(scratch.File()), before);
}

TEST(ResultsStore, PreviousSchemaIsMigratedAndItsRowsKept) {
  ScratchStore scratch("v1");
  std::filesystem::create_directories(scratch.Folder());
  {
    RawFile raw(scratch.File());
    std::string error;
    ASSERT_TRUE(MigrateResultsSchema(raw.Db(), error, 1)) << error;
    ASSERT_TRUE(QSqlQuery(raw.Db()).exec(
        "INSERT INTO runs (started_at, scope_model, firmware, serial, operator, comments, bench, simulated,"
        " program_version) VALUES ('2025-01-02T10:00:00Z', 'TDS 340', '1.04', 'B010101', '', '', 'gpib:0', 0, '0.9')"));
    ASSERT_TRUE(QSqlQuery(raw.Db()).exec(
        "INSERT INTO results (run_id, recorded_at, test_number, test_name, step, unit, nominal, lower_limit,"
        " upper_limit, measured, verdict, row_text) VALUES (1, '2025-01-02T10:01:00Z', 1, 'Offset at Zero',"
        " 'CH2 2 mV/div', 'V', 0, -0.0032, 0.0032, 0.0001, 'PASS', 'row')"));
    EXPECT_EQ(ReadSchemaVersion(raw.Db()), 1);
  }
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  std::vector<StoredRow> rows = store.Rows({"B010101", "", ""});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].run.facts.source, "");
  EXPECT_DOUBLE_EQ(*rows[0].result.measured, 0.0001);
  // A row stored before uncertainties were kept has none, and no decision.
  EXPECT_FALSE(rows[0].uncertainty.budget.expanded.has_value());
  EXPECT_EQ(rows[0].decision, "");
  // A run from before the calibration record reads with no context and no outcomes.
  const std::optional<StoredRun> old = store.RunById(1);
  ASSERT_TRUE(old.has_value()) << store.LastError();
  EXPECT_FALSE(old->facts.context.has_value());
  EXPECT_TRUE(store.TestOutcomes(1).empty());
  // New runs go on after the migrated ones.
  ASSERT_TRUE(store.AddRun(SomeRun("B010101", "2026-01-02T10:00:00Z")).has_value()) << store.LastError();
  EXPECT_EQ(store.Runs("B010101").size(), 2u);
}

// A database of the version before the calibration record (log sessions, no run context) gains
// the record's tables and the uncertainty columns, and keeps its sessions and rows.
TEST(ResultsStore, LogSessionsSchemaIsMigratedToTheCalibrationRecord) {
  ScratchStore scratch("v3");
  std::filesystem::create_directories(scratch.Folder());
  {
    RawFile raw(scratch.File());
    std::string error;
    ASSERT_TRUE(MigrateResultsSchema(raw.Db(), error, 3)) << error;
    ASSERT_TRUE(QSqlQuery(raw.Db()).exec(
        "INSERT INTO runs (started_at, scope_model, firmware, serial, operator, comments, bench, simulated,"
        " program_version) VALUES ('2026-06-02T10:00:00Z', 'TDS 340', '1.04', 'B030303', '', '', 'gpib:0', 0, '1.0')"));
    ASSERT_TRUE(QSqlQuery(raw.Db()).exec(
        "INSERT INTO log_sessions (log_file, opened_at, first_line, created)"
        " VALUES ('/bench/u3.log', '2026-06-02T09:59:00Z', 0, 1)"));
  }
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  ASSERT_EQ(store.LogSessions("/bench/u3.log").size(), 1u);
  const std::optional<StoredRun> old = store.RunById(1);
  ASSERT_TRUE(old.has_value()) << store.LastError();
  EXPECT_FALSE(old->facts.context.has_value());
  StepUncertainty stated;
  stated.assessed = true;
  stated.budget.expanded = 0.0001;
  ASSERT_TRUE(store.AddRow(1, "2026-06-02T10:01:00Z", OffsetResult("CH1 2 mV/div", 0.0032f, 0.0001f), stated))
      << store.LastError();
  const std::vector<StoredRow> rows = store.Rows({"B030303", "", ""});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_DOUBLE_EQ(*rows[0].uncertainty.budget.expanded, 0.0001);
}

TEST(ResultsStore, NewerSchemaIsRefusedAndLeftAlone) {
  ScratchStore scratch("newer");
  std::filesystem::create_directories(scratch.Folder());
  {
    RawFile raw(scratch.File());
    std::string error;
    ASSERT_TRUE(MigrateResultsSchema(raw.Db(), error)) << error;
    ASSERT_TRUE(QSqlQuery(raw.Db()).exec(
        QString("INSERT INTO schema_version (version) VALUES (%1)").arg(kResultsSchemaVersion + 1)));
  }
  ResultsStore store(scratch.Target());
  EXPECT_FALSE(store.Open());
  EXPECT_NE(store.LastError().find("newer"), std::string::npos) << store.LastError();
  RawFile raw(scratch.File());
  EXPECT_EQ(ReadSchemaVersion(raw.Db()), kResultsSchemaVersion + 1);
}

TEST(ResultsStore, FileThatIsNoDatabaseIsReportedNotOverwritten) {
  ScratchStore scratch("garbage");
  std::filesystem::create_directories(scratch.Folder());
  { std::ofstream(scratch.File()) << "Performance Verification of TDS 340 - not a database at all, just text\n"; }
  ResultsStore store(scratch.Target());
  EXPECT_FALSE(store.Open());
  EXPECT_FALSE(store.LastError().empty());
  std::ifstream again(scratch.File());
  std::string first;
  std::getline(again, first);
  EXPECT_EQ(first.rfind("Performance Verification", 0), 0u);
}

TEST(ResultsStore, RowsComeBackWithNumbersTextsAndMissingReadings) {
  ScratchStore scratch("rows");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  RunFacts facts = SomeRun("B012345", "2026-12-07T09:00:00+01:00");
  const int64_t run = *store.AddRun(facts);
  StepResult pass = OffsetResult("CH1 2 mV/div", 0.0032f, 0.000123456f);
  pass.text = " CH1  2 mV/div  \xB1" "3.20 mV  123 \xB5V   PASS";
  ASSERT_TRUE(store.AddRow(run, "2026-12-07T09:00:05+01:00", pass)) << store.LastError();
  ASSERT_TRUE(store.AddRow(run, "2026-12-07T09:00:09+01:00", OffsetResult("CH2 2 mV/div", 0.0032f, std::nullopt)));
  StepResult garbled = OffsetResult("CH2 10 mV/div", 0.004f, 0.001f);
  garbled.measured = std::nan("");
  ASSERT_TRUE(store.AddRow(run, "2026-12-07T09:00:12+01:00", garbled));

  std::vector<StoredRow> rows = store.Rows({});
  ASSERT_EQ(rows.size(), 3u);
  const StoredRow& first = rows[0];
  EXPECT_EQ(first.run.facts.operatorName, "J. M\xFCller");
  EXPECT_EQ(first.run.facts.startedAt, "2026-12-07T09:00:00+01:00");
  EXPECT_TRUE(first.run.facts.simulated);
  EXPECT_EQ(first.result.text, pass.text);  // 8-bit in, 8-bit out
  EXPECT_EQ(first.result.step, "CH1 2 mV/div");
  EXPECT_FLOAT_EQ(static_cast<float>(*first.result.measured), 0.000123456f);
  EXPECT_FLOAT_EQ(static_cast<float>(*first.result.lower), -0.0032f);
  EXPECT_FLOAT_EQ(static_cast<float>(*first.result.upper), 0.0032f);
  EXPECT_EQ(first.result.verdict, Verdict::Pass);
  EXPECT_FALSE(rows[1].result.measured.has_value());
  EXPECT_EQ(rows[1].result.verdict, Verdict::NotMeasurable);
  EXPECT_FALSE(rows[2].result.measured.has_value());  // a NaN is no reading
}

TEST(ResultsStore, UncertaintyTurAndDecisionComeBackAsStored) {
  ScratchStore scratch("uncertainty");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const int64_t run = *store.AddRun(SomeRun("B012345", "2026-12-07T09:00:00+01:00"));
  StepUncertainty guarded;
  guarded.assessed = true;
  guarded.budget.expanded = 0.0002;
  guarded.tur = 16;
  guarded.rule = DecisionRule::Guarded;
  guarded.judged.decision = Decision::ConditionalPass;
  ASSERT_TRUE(store.AddRow(run, "2026-12-07T09:00:05+01:00", OffsetResult("CH1 2 mV/div", 0.0032f, 0.0031f), guarded))
      << store.LastError();
  ASSERT_TRUE(store.AddRow(run, "2026-12-07T09:00:06+01:00", OffsetResult("CH2 2 mV/div", 0.0032f, 0.001f)));

  std::vector<StoredRow> rows = store.Rows({});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_DOUBLE_EQ(*rows[0].uncertainty.budget.expanded, 0.0002);
  EXPECT_DOUBLE_EQ(*rows[0].uncertainty.tur, 16);
  EXPECT_EQ(rows[0].uncertainty.rule, DecisionRule::Guarded);
  EXPECT_EQ(rows[0].decision, "conditional pass");
  EXPECT_EQ(rows[0].uncertainty.judged.decision, Decision::ConditionalPass);
  EXPECT_EQ(rows[0].result.verdict, Verdict::Marginal);  // the table's verdict is kept apart
  EXPECT_NE(rows[0].budgetText.find("Decision (guarded): conditional pass"), std::string::npos) << rows[0].budgetText;
  // A row never assessed (read from a log) states nothing.
  EXPECT_FALSE(rows[1].uncertainty.budget.expanded.has_value());
  EXPECT_FALSE(rows[1].uncertainty.tur.has_value());
  EXPECT_EQ(rows[1].decision, "");
  EXPECT_EQ(rows[1].budgetText, "");
}

// The budget is kept as data and its text printed from that, to the byte what it was when the
// step was assessed (the run's digest covers it); a row stored with only the text keeps it.
TEST(ResultsStore, TheBudgetIsStoredAsDataAndPrintedFromItWhileEarlierTextStillReads) {
  ScratchStore scratch("budget");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const int64_t run = *store.AddRun(SomeRun("B012345", "2026-12-07T09:00:00+01:00"));
  UncertaintyFigure dc;
  dc.percentOfValue = 0.02;
  dc.absolute = 50e-6;
  const StepResult step = OffsetResult("CH1 10 mV/div 60 mV", 0.0054f, 0.06536f - 0.06f);
  const StepUncertainty assessed =
      AssessStep({dc}, {{StandardFunction::DcVoltage, 0.06, std::nullopt}}, {StepReadings{{"6.0107E-2", "6.0113E-2"}}},
                 StepLimits{0, -0.0054, 0.0054, 0.00536, true}, DecisionRule::Guarded);
  ASSERT_GE(assessed.budget.contributions.size(), 2u);
  StepUncertainty missing;  // assessed, but the register states nothing for it
  missing.assessed = true;
  missing.budget.missing = "no figure for DC voltage";
  missing.judged.fellBackToSimple = true;
  ASSERT_TRUE(store.AddRow(run, "2026-12-07T09:00:05+01:00", step, assessed)) << store.LastError();
  ASSERT_TRUE(store.AddRow(run, "2026-12-07T09:00:06+01:00", step, missing)) << store.LastError();
  ASSERT_TRUE(store.AddRow(run, "2026-12-07T09:00:07+01:00", step, assessed)) << store.LastError();
  {
    RawFile raw(scratch.File());
    // What is stored is the data, not the text.
    EXPECT_EQ(raw.One("SELECT uncertainty_budget FROM results WHERE id = 1").toString(), "");
    EXPECT_TRUE(raw.One("SELECT uncertainty_contributions FROM results WHERE id = 1").toString().contains("rectangular"));
    // The third row as an earlier build stored it: the text alone.
    ASSERT_TRUE(QSqlQuery(raw.Db()).exec(
        "UPDATE results SET uncertainty_budget = 'Uncertainty budget: as printed then', uncertainty_contributions = ''"
        " WHERE id = 3"));
  }
  const std::vector<StoredRow> rows = store.Rows({});
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].budgetText, BudgetReport(step.step, step.unit, assessed));
  const std::vector<Contribution>& back = rows[0].uncertainty.budget.contributions;
  ASSERT_EQ(back.size(), assessed.budget.contributions.size());
  for (size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].source, assessed.budget.contributions[i].source);
    EXPECT_EQ(back[i].distribution, assessed.budget.contributions[i].distribution);
    EXPECT_EQ(back[i].figure, assessed.budget.contributions[i].figure);  // exactly: the digest prints from it
    EXPECT_EQ(back[i].standard, assessed.budget.contributions[i].standard);
  }
  EXPECT_EQ(rows[1].budgetText, BudgetReport(step.step, step.unit, missing));
  EXPECT_NE(rows[1].budgetText.find("(no figure for DC voltage)"), std::string::npos) << rows[1].budgetText;
  EXPECT_NE(rows[1].budgetText.find("simple acceptance"), std::string::npos) << rows[1].budgetText;
  EXPECT_EQ(rows[2].budgetText, "Uncertainty budget: as printed then");
}

// Outcomes are kept as their words and read back as outcomes; a word no build writes is not
// taken for another outcome (a run that reads as passed when it was not), the run is refused.
TEST(ResultsStore, TestOutcomesComeBackAsOutcomesAndAnUnknownWordIsRefused) {
  ScratchStore scratch("outcomes");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const int64_t run = *store.AddRun(SomeRun("B012345", "2026-12-07T09:00:00+01:00"));
  ASSERT_TRUE(store.SetTestOutcomes(run, {{1, "Offset at Zero", TestOutcome::Passed},
                                          {2, "DC Voltage Measurement", TestOutcome::Stopped},
                                          {3, "Analog Bandwidth", TestOutcome::Failed, "finding"}}));
  {
    RawFile raw(scratch.File());
    EXPECT_EQ(raw.One("SELECT outcome FROM run_tests WHERE test_number = 2").toString(), "not run");
    EXPECT_EQ(raw.One("SELECT outcome FROM run_tests WHERE test_number = 3").toString(), "FAIL");
  }
  std::vector<RunTestOutcome> back = store.TestOutcomes(run);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0].outcome, TestOutcome::Passed);
  EXPECT_EQ(back[1].outcome, TestOutcome::NotRun);  // stopped is stored as not run
  EXPECT_EQ(back[2].outcome, TestOutcome::Failed);
  EXPECT_EQ(back[2].finding, "finding");
  {
    RawFile raw(scratch.File());
    ASSERT_TRUE(QSqlQuery(raw.Db()).exec("UPDATE run_tests SET outcome = 'pass' WHERE test_number = 3"));
  }
  EXPECT_TRUE(store.TestOutcomes(run).empty());
  EXPECT_NE(store.LastError().find("\"pass\""), std::string::npos) << store.LastError();
}

TEST(ResultsStore, FiltersBySerialTestAndStep) {
  ScratchStore scratch("filter");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const int64_t a = *store.AddRun(SomeRun("B1", "2026-01-01T10:00:00Z"));
  const int64_t b = *store.AddRun(SomeRun("B2", "2026-01-01T11:00:00Z"));
  store.AddRow(a, "t", OffsetResult("CH1 2 mV/div", 0.0032f, 0.001f));
  store.AddRow(a, "t", OffsetResult("CH2 2 mV/div", 0.0032f, 0.001f));
  StepResult dc = OffsetResult("CH1 5 mV/div -990 mV", 0.008f, -0.99f);
  dc.test = 2;
  dc.testName = "DC Voltage";
  store.AddRow(a, "t", dc);
  store.AddRow(b, "t", OffsetResult("CH2 2 mV/div", 0.0032f, 0.002f));
  const int64_t unnamed = *store.AddRun(SomeRun("", "2026-01-01T12:00:00Z"));
  store.AddRow(unnamed, "t", OffsetResult("CH2 2 mV/div", 0.0032f, 0.003f));

  EXPECT_EQ(store.Serials(), (std::vector<std::string>{"", "B1", "B2"}));
  // "(no serial)" is a scope of its own, not every scope.
  const std::vector<StoredRow> withoutSerial = store.Rows({"", "Offset at Zero", ""});
  ASSERT_EQ(withoutSerial.size(), 1u);
  EXPECT_EQ(withoutSerial[0].run.id, unnamed);
  EXPECT_EQ(store.Runs("").size(), 1u);
  EXPECT_EQ(store.Runs().size(), 3u);
  EXPECT_EQ(store.TestNames("B1"), (std::vector<std::string>{"Offset at Zero", "DC Voltage"}));
  EXPECT_EQ(store.Rows({"B1", "", ""}).size(), 3u);
  EXPECT_EQ(store.Rows({"B1", "Offset at Zero", ""}).size(), 2u);
  EXPECT_EQ(store.Rows({std::nullopt, "Offset at Zero", "CH2 2 mV/div"}).size(), 3u);
  EXPECT_TRUE(store.Rows({"B3", "", ""}).empty());
}

TEST(ResultsStore, LogSessionsOfOneFileSinceItWasLastCreated) {
  ScratchStore scratch("sessions");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const std::string log = LogFileKey((scratch.Folder() / "LOG340" / ".." / "LOG340" / "u7.log").string());
  EXPECT_EQ(log.find(".."), std::string::npos);
  ASSERT_TRUE(store.AddLogSession(log, {"2026-12-01T08:00:00Z", 0, true}));
  ASSERT_TRUE(store.AddLogSession(log, {"2026-12-02T08:00:00Z", 30, false}));
  ASSERT_TRUE(store.AddLogSession("/elsewhere/u7.log", {"2026-12-03T08:00:00Z", 0, true}));
  // Overwritten: the log began again.
  ASSERT_TRUE(store.AddLogSession(log, {"2026-12-04T08:00:00Z", 0, true}));
  ASSERT_TRUE(store.AddLogSession(log, {"2026-12-05T08:00:00Z", 12, false}));
  const std::vector<LogSession> sessions = store.LogSessions(log);
  ASSERT_EQ(sessions.size(), 2u);
  EXPECT_EQ(sessions[0].openedAt, "2026-12-04T08:00:00Z");
  EXPECT_TRUE(sessions[0].created);
  EXPECT_EQ(sessions[1].firstLine, 12);
  EXPECT_FALSE(sessions[1].created);
  EXPECT_TRUE(store.LogSessions("/nowhere.log").empty());
}

// A log's context survives the program: the second save replaces the first, another log keeps
// its own, a log never saved has none, and a context without conditions has none after reading.
TEST(ResultsStore, TheContextOfALogIsKeptByLog) {
  ScratchStore scratch("log-context");
  const std::string log = LogFileKey((scratch.Folder() / "LOG340" / "u7.log").string());
  LogContext first{"J. M\xFCller", "Acme, Inc.", "A-17", 22.5, 41.0, RunLabel::AsFound};
  {
    ResultsStore store(scratch.Target());
    ASSERT_TRUE(store.Open()) << store.LastError();
    ASSERT_TRUE(store.SaveLogContext(log, first, "2026-12-07T08:00:00Z"));
    ASSERT_TRUE(store.SaveLogContext("/elsewhere/u7.log", LogContext{"Jo", "", "", {}, {}, RunLabel::AsLeft}, "x"));
  }
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  EXPECT_EQ(store.LogContextOf(log), first);
  LogContext second = first;
  second.temperatureC.reset();
  second.label = RunLabel::AsLeft;
  ASSERT_TRUE(store.SaveLogContext(log, second, "2026-12-08T08:00:00Z"));
  EXPECT_EQ(store.LogContextOf(log), second);
  EXPECT_EQ(store.LogContextOf("/elsewhere/u7.log")->label, RunLabel::AsLeft);
  EXPECT_FALSE(store.LogContextOf("/nowhere.log").has_value());
  EXPECT_TRUE(store.LastError().empty()) << store.LastError();
}

TEST(ResultsStore, RowOfAnUnknownRunIsRefusedWhole) {
  ScratchStore scratch("orphan");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  EXPECT_FALSE(store.AddRow(42, "t", OffsetResult("CH1 2 mV/div", 0.0032f, 0.001f)));
  EXPECT_FALSE(store.LastError().empty());
  EXPECT_TRUE(store.Rows({}).empty());
  // The store goes on working after a refused row.
  const int64_t run = *store.AddRun(SomeRun("B1", "2026-01-01T10:00:00Z"));
  EXPECT_TRUE(store.AddRow(run, "t", OffsetResult("CH1 2 mV/div", 0.0032f, 0.001f))) << store.LastError();
}

}  // namespace
}  // namespace veridane
