// The calibration record on a scratch SQLite store: a run's context and outcomes kept with it,
// its digest, certificate numbers, the JSON and JUnit made from it, and the certificate itself.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QXmlStreamReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/text8.h"
#include "record/certificate.h"
#include "record/junit_report.h"
#include "record/run_json.h"
#include "record/run_record.h"
#include "record/whole_file.h"
#include "uncertainty/step_uncertainty.h"
#include "test/results/results_fixture.h"

namespace veridane {
namespace {

using testing::OffsetResult;
using testing::ScratchStore;
using testing::SomeRun;

RunContext SomeContext(RunLabel label) {
  RunContext context;
  context.assetId = "CUST-77";
  context.customer = "Acme Kraftwerk GmbH \xFC";  // 8-bit inside, UTF-8 at the edges
  context.temperatureC = 23.1;
  context.label = label;
  context.standardsRegister = "/lab/standards.toml";
  context.standards = {{"Calibrator", "Fluke 5100A/B", "5100-4471", "LAB-0012", "CAL-2026-0412", "2026-03-02",
                        "2027-03-02", "in calibration"},
                       {"Time-mark generator", "CG 5011", "", "", "", "", "", "not in the register"}};
  return context;
}

// A simulated run of three Offset at Zero rows (a pass, a fail, no reading) and a second test
// that was stopped.
int64_t StoreRun(ResultsStore& store, const std::string& startedAt, RunLabel label, float ch2Reading = 0.0001f,
                 const StepUncertainty& ch1 = {}) {
  RunFacts facts = SomeRun("B010101", startedAt);
  facts.simulated = true;
  facts.context = SomeContext(label);
  const std::optional<int64_t> id = store.AddRun(facts);
  EXPECT_TRUE(id.has_value()) << store.LastError();
  EXPECT_TRUE(store.AddRow(*id, startedAt, OffsetResult("CH1 2 mV/div", 0.0032f, 0.0001f), ch1));
  EXPECT_TRUE(store.AddRow(*id, startedAt, OffsetResult("CH2 2 mV/div", 0.0032f, ch2Reading)));
  EXPECT_TRUE(store.AddRow(*id, startedAt, OffsetResult("CH1 5 mV/div", 0.0032f, std::nullopt)));
  EXPECT_TRUE(store.SetTestOutcomes(*id, {{1, "Offset at Zero", TestOutcome::Failed}, {2, "DC Voltage Measurement", TestOutcome::NotRun}}));
  return *id;
}

// An assessed step: U at k = 2 and the decision under the rule.
StepUncertainty Assessed(double expanded, DecisionRule rule, Decision decision) {
  StepUncertainty lab;
  lab.assessed = true;
  lab.budget.combined = expanded / 2;
  lab.budget.expanded = expanded;
  lab.tur = 0.0032 / expanded;
  lab.rule = rule;
  lab.judged.decision = decision;
  return lab;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(RecordStore, ContextAndOutcomesAreKeptWithTheRunAndDigested) {
  ScratchStore scratch("record-context");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const int64_t id = StoreRun(store, "2026-12-07T10:00:00+01:00", RunLabel::AsFound, 0.01f);
  std::string error;
  const std::optional<RunRecord> record = LoadRunRecord(store, id, error);
  ASSERT_TRUE(record) << error;
  ASSERT_TRUE(record->run.facts.context.has_value());
  EXPECT_EQ(*record->run.facts.context, SomeContext(RunLabel::AsFound));
  EXPECT_FALSE(record->run.facts.context->humidityPercent.has_value());
  EXPECT_EQ(record->rows.size(), 3u);
  EXPECT_EQ(record->outcomes.size(), 2u);
  ASSERT_EQ(record->sha256.size(), 64u);

  const std::vector<TestRows> tests = RowsByTest(*record);
  ASSERT_EQ(tests.size(), 2u);
  EXPECT_EQ(tests[0].outcome, TestOutcome::Failed);
  EXPECT_EQ(tests[1].outcome, TestOutcome::NotRun);
  EXPECT_TRUE(tests[1].rows.empty());

  // The digest is of what is stored: the same run reads to the same digest, a changed
  // reading in the database to another one.
  EXPECT_EQ(LoadRunRecord(store, id, error)->sha256, record->sha256);
  {
    QSqlDatabase raw = QSqlDatabase::addDatabase("QSQLITE", "record-raw");
    raw.setDatabaseName(QString::fromStdString(scratch.File()));
    ASSERT_TRUE(raw.open());
    ASSERT_TRUE(QSqlQuery(raw).exec("UPDATE results SET measured = 0.00011 WHERE step = 'CH1 2 mV/div'"));
    raw.close();
  }
  QSqlDatabase::removeDatabase("record-raw");
  EXPECT_NE(LoadRunRecord(store, id, error)->sha256, record->sha256);

  EXPECT_FALSE(LoadRunRecord(store, id + 1, error).has_value());
  EXPECT_EQ(error, "there is no run " + std::to_string(id + 1) + " in the results database");
}

// A run stored without uncertainties digests as it always did, so that the certificates
// already printed for it still check; once a row holds U, TUR, a decision or a budget, each
// of them is in the digest.
TEST(RecordStore, TheDigestCoversTheUncertaintyAndKeepsEarlierRunsDigests) {
  RunRecord record;
  record.run.id = 17;
  record.run.facts = SomeRun("B010101", "2026-12-07T10:00:00+01:00");
  record.outcomes = {{1, "Offset at Zero", TestOutcome::Passed}};
  StoredRow row;
  row.recordedAt = "2026-12-07T10:00:01+01:00";
  row.result.test = 1;
  row.result.testName = "Offset at Zero";
  row.result.step = "CH1 2 mV/div";
  row.result.unit = "V";
  row.result.nominal = 0;
  row.result.lower = -0.0032;
  row.result.upper = 0.0032;
  row.result.marginalLower = -0.00224;
  row.result.marginalUpper = 0.00224;
  row.result.measured = 0.0001;
  row.result.verdict = Verdict::Pass;
  row.result.text = " CH1 2 mV/div  PASS";
  record.rows = {row};
  const std::string earlier =
      "veridane-run 1\nid=17\nstarted_at=2026-12-07T10:00:00+01:00\nscope_model=TDS 340\nfirmware=1.04\n"
      "serial=B010101\noperator=J. M\xFCller\ncomments=\nbench=sim\nsimulated=1\nprogram_version=1.0.0\nsource=\n"
      "outcome=1|Offset at Zero|PASS\n"
      "row=2026-12-07T10:00:01+01:00|1|Offset at Zero|CH1 2 mV/div|V|0|-0.0032|0.0032|-0.00224|0.00224|1e-04|PASS|"
      " CH1 2 mV/div  PASS\n";
  EXPECT_EQ(RunDigestText(record), earlier);
  EXPECT_EQ(Sha256Hex(RunDigestText(record)), "3cfe604433af6863ed30770e5ce278361db833039ff0e99813531eb9f49c021d");

  record.rows[0].uncertainty = Assessed(0.0002, DecisionRule::Guarded, Decision::Pass);
  record.rows[0].decision = "pass";
  record.rows[0].budgetText = "Uncertainty budget: CH1 2 mV/div\nU = 200 \xB5V\n";
  const std::string covered = RunDigestText(record);
  EXPECT_EQ(covered.rfind("veridane-run 2\n", 0), 0u) << covered;
  EXPECT_NE(covered.find("|1e-04|PASS| CH1 2 mV/div  PASS\nuncertainty=2e-04|16|guarded|pass\n"
                         "budget=Uncertainty budget: CH1 2 mV/div\\nU = 200 \xB5V\\n\n"),
            std::string::npos)
      << covered;
  // Each column on its own moves the digest.
  const std::string digest = Sha256Hex(covered);
  for (auto change : std::vector<std::function<void(StoredRow&)>>{
           [](StoredRow& r) { r.uncertainty.budget.expanded = 0.0003; }, [](StoredRow& r) { r.uncertainty.tur = 8; },
           [](StoredRow& r) { r.decision = "conditional pass"; },
           [](StoredRow& r) { r.uncertainty.rule = DecisionRule::Simple; }, [](StoredRow& r) { r.budgetText += "x"; }}) {
    RunRecord changed = record;
    change(changed.rows[0]);
    EXPECT_NE(Sha256Hex(RunDigestText(changed)), digest);
  }

  // Through the store: the columns read back are the ones digested, and a step judged on an
  // answer (the self calibration) keeps having no numbers.
  ScratchStore scratch("record-digest");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const int64_t id = StoreRun(store, "2026-12-07T10:00:00+01:00", RunLabel::AsFound, 0.0001f,
                              Assessed(0.0002, DecisionRule::Simple, Decision::Pass));
  StepResult selfCal = AnswerStepResult("*CAL?", "answered 1", false);
  selfCal.testName = "Self Cal";
  ASSERT_TRUE(store.AddRow(id, "2026-12-07T10:00:02+01:00", selfCal));
  std::string error;
  const RunRecord stored = *LoadRunRecord(store, id, error);
  const std::string text = RunDigestText(stored);
  EXPECT_NE(text.find("|1e-04|PASS| CH1 2 mV/div   PASS\nuncertainty=2e-04|16|simple|pass\nbudget=Uncertainty budget: CH1 2 mV/div\\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("|0|Self Cal|*CAL?||-|-|-|-|-|-|FAIL|answered 1\nuncertainty=-|-||\nbudget=\n"),
            std::string::npos)
      << text;
  ASSERT_EQ(stored.rows.size(), 4u);
  EXPECT_TRUE(JudgedOnAnswer(stored.rows[3].result));
  EXPECT_FALSE(JudgedOnAnswer(stored.rows[2].result));  // no reading, but a number to judge against
}

TEST(RecordStore, CertificateNumbersAreNeverHandedOutTwice) {
  ScratchStore scratch("record-numbers");
  int64_t first = 0;
  int64_t second = 0;
  {
    ResultsStore store(scratch.Target());
    ASSERT_TRUE(store.Open()) << store.LastError();
    const int64_t run = StoreRun(store, "2026-12-07T10:00:00+01:00", RunLabel::AsFound);
    first = *store.IssueCertificate(run, "2026-12-07T11:00:00+01:00", "a.pdf");
    second = *store.IssueCertificate(run, "2026-12-07T11:00:00+01:00", "b.pdf");
    EXPECT_GT(second, first);
  }
  // A crash after the number was taken: its row is gone (a restore, a hand edit), the program
  // starts again, and the next number is still a new one.
  {
    QSqlDatabase raw = QSqlDatabase::addDatabase("QSQLITE", "record-raw");
    raw.setDatabaseName(QString::fromStdString(scratch.File()));
    ASSERT_TRUE(raw.open());
    ASSERT_TRUE(QSqlQuery(raw).exec("DELETE FROM certificates WHERE number = " + QString::number(second)));
    raw.close();
  }
  QSqlDatabase::removeDatabase("record-raw");
  ResultsStore again(scratch.Target());
  ASSERT_TRUE(again.Open()) << again.LastError();
  EXPECT_GT(*again.IssueCertificate(1, "2026-12-07T12:00:00+01:00", "c.pdf"), second);
  EXPECT_EQ(CertificateNumberText("VD-", 17), "VD-000017");
}

TEST(RecordStore, JsonAndJUnitAgreeWithTheStoredRows) {
  ScratchStore scratch("record-exports");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const int64_t id = StoreRun(store, "2026-12-07T10:00:00+01:00", RunLabel::AsLeft, 0.01f);
  std::string error;
  const RunRecord record = *LoadRunRecord(store, id, error);

  const QJsonObject document = QJsonDocument::fromJson(QByteArray::fromStdString(RunsJson({record}, "2026-12-07T10:05:00+01:00"))).object();
  EXPECT_EQ(document["version"].toInt(), kResultsFormatVersion);
  const QJsonObject run = document["runs"].toArray()[0].toObject();
  EXPECT_EQ(run["sha256"].toString().toStdString(), record.sha256);
  EXPECT_EQ(run["context"]["label"].toString(), "as left");
  EXPECT_EQ(run["context"]["customer"].toString().toStdString(), "Acme Kraftwerk GmbH \xC3\xBC");
  EXPECT_TRUE(run["context"]["environment"]["humidity_percent"].isNull());
  EXPECT_TRUE(run["context"]["standards"][1]["due"].isNull());
  const QJsonArray steps = run["tests"][0]["steps"].toArray();
  ASSERT_EQ(steps.size(), 3);
  for (int i = 0; i < 3; ++i) {
    const StepResult& row = record.rows[static_cast<size_t>(i)].result;
    EXPECT_EQ(steps[i]["step"].toString().toStdString(), row.step);
    EXPECT_EQ(steps[i]["verdict"].toString().toStdString(), VerdictName(row.verdict));
    if (row.measured) EXPECT_DOUBLE_EQ(steps[i]["measured"].toDouble(), *row.measured);
    else EXPECT_TRUE(steps[i]["measured"].isNull());
  }
  EXPECT_EQ(run["tests"][1]["verdict"].toString(), "not run");

  // JUnit: a failure per failed or unreadable step, the stopped test skipped.
  QXmlStreamReader xml(QString::fromStdString(RunsJUnit({record})));
  int suites = 0, cases = 0, failures = 0, skipped = 0;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    suites += xml.name() == QStringLiteral("testsuite");
    cases += xml.name() == QStringLiteral("testcase");
    failures += xml.name() == QStringLiteral("failure");
    skipped += xml.name() == QStringLiteral("skipped");
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(suites, 2);
  EXPECT_EQ(cases, 4);
  EXPECT_EQ(failures, 2);
  EXPECT_EQ(skipped, 1);
}

// The JUnit times, in seconds, from the store's recording times: a step from the row before it
// (the run's start for the first), a test the sum of its steps, the file the sum of its tests. A
// time that cannot be read, or a clock set back, counts nothing rather than a negative time.
TEST(RecordStore, JUnitTimesComeFromTheRecordingTimes) {
  ScratchStore scratch("record-junit-times");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const std::optional<int64_t> id = store.AddRun(SomeRun("B010101", "2026-12-07T10:00:00+01:00"));
  ASSERT_TRUE(id.has_value()) << store.LastError();
  StepResult dc = OffsetResult("CH1 DC", 0.0032f, 0.0001f);
  dc.test = 2;
  dc.testName = "DC Voltage Measurement";
  ASSERT_TRUE(store.AddRow(*id, "2026-12-07T10:00:05+01:00", OffsetResult("CH1 2 mV/div", 0.0032f, 0.0001f)));
  ASSERT_TRUE(store.AddRow(*id, "2026-12-07T10:00:17+01:00", OffsetResult("CH2 2 mV/div", 0.0032f, 0.0001f)));
  // A time in another offset (summer time ending: 10:00:47 at +01:00), one that cannot be read,
  // and a clock set back.
  ASSERT_TRUE(store.AddRow(*id, "2026-12-07T09:00:47+00:00", dc));
  ASSERT_TRUE(store.AddRow(*id, "not a time", dc));
  ASSERT_TRUE(store.AddRow(*id, "2026-12-07T10:01:00+01:00", dc));
  ASSERT_TRUE(store.AddRow(*id, "2026-12-07T10:00:50+01:00", dc));
  std::string error;
  const RunRecord record = *LoadRunRecord(store, id.value(), error);

  QXmlStreamReader xml(QString::fromStdString(RunsJUnit({record})));
  std::vector<std::string> times;  // "element time", in file order
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QStringLiteral("testsuites") || xml.name() == QStringLiteral("testsuite") ||
        xml.name() == QStringLiteral("testcase"))
      times.push_back((xml.name().toString() + " " + xml.attributes().value("time").toString()).toStdString());
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  const std::vector<std::string> expected = {"testsuites 60.000", "testsuite 17.000", "testcase 5.000",
                                             "testcase 12.000",   "testsuite 43.000", "testcase 30.000",
                                             "testcase 0.000",    "testcase 13.000",  "testcase 0.000"};
  EXPECT_EQ(times, expected);
}

TEST(RecordStore, ExportsAreWrittenWholeOrNotAtAll) {
  ScratchStore scratch("record-files");
  std::filesystem::create_directories(scratch.Folder());
  const std::string file = (scratch.Folder() / "run.json").string();
  std::string error;
  ASSERT_TRUE(WriteWholeFile(file, "old", error)) << error;
  ASSERT_TRUE(WriteWholeFile(file, "new", error)) << error;
  EXPECT_EQ(ReadFile(file), "new");
  // Through a link, the file it names is replaced and the link stays.
  const std::string link = (scratch.Folder() / "latest.json").string();
  std::filesystem::create_symlink(file, link);
  ASSERT_TRUE(WriteWholeFile(link, "linked", error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFile(file), "linked");
  // A folder or a device is no place for an export.
  EXPECT_FALSE(WriteWholeFile(scratch.Folder().string(), "x", error));
  EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
  EXPECT_FALSE(WriteWholeFile("/dev/null", "x", error));
  EXPECT_NE(error.find("not a file"), std::string::npos) << error;
  EXPECT_FALSE(WriteWholeFile((scratch.Folder() / "no" / "such.json").string(), "x", error));
  // No temporary file is left behind by any of them.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.Folder()))
    files += entry.is_regular_file() && !entry.is_symlink();
  EXPECT_EQ(files, 1);
}

TEST(RecordStore, CertificateHoldsTheRecordAndRefusesAnUnfinishedRun) {
  ScratchStore scratch("record-certificate");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const StepUncertainty found = Assessed(0.0004, DecisionRule::Guarded, Decision::ConditionalPass);
  const StepUncertainty left = Assessed(0.00025, DecisionRule::Guarded, Decision::Pass);
  StoreRun(store, "2026-12-07T09:00:00+01:00", RunLabel::AsFound, 0.01f, found);
  const int64_t id = StoreRun(store, "2026-12-07T10:00:00+01:00", RunLabel::AsLeft, 0.0001f, left);
  const std::string pdf = (scratch.Folder() / "certificate.pdf").string();
  LabIdentity lab;
  lab.name = "Kalibrierlabor Nord";
  lab.accreditation = "D-K-99999-01-00";

  CertificateIssue issue = IssueRunCertificate(store, id, pdf, lab, false, "2026-12-07T11:00:00+01:00");
  EXPECT_FALSE(issue.ok);
  EXPECT_NE(issue.error.find("is not complete (DC Voltage Measurement)"), std::string::npos) << issue.error;
  EXPECT_TRUE(issue.number.empty());  // refused before a number was taken
  EXPECT_FALSE(std::filesystem::exists(pdf));

  issue = IssueRunCertificate(store, id, pdf, lab, true, "2026-12-07T11:00:00+01:00");
  ASSERT_TRUE(issue.ok) << issue.error;
  EXPECT_EQ(issue.number, "VD-000001");
  const std::string text = (scratch.Folder() / "certificate.txt").string();
  ASSERT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + text + "'").c_str()), 0);
  const std::string content = ReadFile(text);
  std::string error;
  const RunRecord record = *LoadRunRecord(store, id, error);
  for (const std::string& expected :
       {std::string("Kalibrierlabor Nord"), std::string("D-K-99999-01-00"), std::string("No. VD-000001"),
        std::string("5100-4471"), std::string("2027-03-02"), std::string("CAL-2026-0412"), std::string("not in the register"),
        record.sha256, std::string("run ") + std::to_string(id), std::string(kSimulatedCertificateMark),
        std::string("PARTIAL CERTIFICATE"), std::string("DC Voltage Measurement"), std::string("page 1 of "),
        // as found beside as left: the earlier run's failed reading, this run's pass
        // given to the last digit of its own U
        std::string("10 mV"), std::string("100 \xC2\xB5V"), std::string("no reading"),
        // and each side with its own U, to two significant digits, and decision
        std::string("\xC2\xB1" "400 \xC2\xB5V"), std::string("\xC2\xB1" "250 \xC2\xB5V"), std::string("conditional")})
    EXPECT_NE(content.find(expected), std::string::npos) << expected;
  // The as-left side's decision stands beside its own U, on the CH1 row.
  const size_t ch1 = content.find("CH1 2 mV/div");
  ASSERT_NE(ch1, std::string::npos);
  const std::string line = content.substr(ch1, content.find('\n', ch1) - ch1);
  EXPECT_LT(line.find("\xC2\xB1" "400 \xC2\xB5V"), line.find("\xC2\xB1" "250 \xC2\xB5V")) << line;
  EXPECT_EQ(CertificateValue(-0.0032154, "V"), "-3.2154 mV");
  EXPECT_EQ(CertificateValue(60.1234e6, "Hz"), "60.123 MHz");
  EXPECT_EQ(CertificateValue(0, "V"), "0 V");
}

// U on the certificate: two significant digits, rounded up, never down (an exact figure stays as
// it is); the reading to U's last digit, with the prefix of its own size.
TEST(RecordStore, CertificateRoundsUUpToTwoDigitsAndTheReadingToItsPlace) {
  EXPECT_EQ(CertificateUncertainty(248.1e-6, "V"), "\xB1" "250 \xB5V");
  EXPECT_EQ(CertificateUncertainty(62.00e-6, "V"), "\xB1" "62 \xB5V");
  EXPECT_EQ(CertificateUncertainty(19.66e-3, "V"), "\xB1" "20 mV");
  EXPECT_EQ(CertificateUncertainty(9.96e-3, "V"), "\xB1" "10 mV");       // up across a decade
  EXPECT_EQ(CertificateUncertainty(1.201e-3, "V"), "\xB1" "1.3 mV");
  EXPECT_EQ(CertificateUncertainty(0.30e-9, "s"), "\xB1" "300 ps");
  EXPECT_EQ(CertificateUncertainty(0.0123, "dB"), "\xB1" "0.013 dB");
  EXPECT_EQ(CertificateUncertainty(0, "V"), "\xB1" "0 V");               // nothing to round

  EXPECT_EQ(CertificateValueBeside(3.2145e-3, 248.1e-6, "V"), "3.21 mV");  // U \xB1250 \xB5V: to 10 \xB5V
  EXPECT_EQ(CertificateValueBeside(164.4e-6, 248.1e-6, "V"), "160 \xB5V");
  EXPECT_EQ(CertificateValueBeside(-131.4e-6, 62e-6, "V"), "-131 \xB5V");
  EXPECT_EQ(CertificateValueBeside(-0.4e-6, 62e-6, "V"), "0 \xB5V");       // no "-0", U's prefix
  EXPECT_EQ(CertificateValueBeside(999.96e-6, 2.5e-6, "V"), "1.0000 mV");  // rounds into the next prefix
  EXPECT_EQ(CertificateValueBeside(1.5, 0.019, "V"), "1.500 V");          // trailing zeros are digits
  EXPECT_EQ(CertificateValueBeside(0.25, std::nan(""), "V"), CertificateValue(0.25, "V"));
}

}  // namespace
}  // namespace veridane
