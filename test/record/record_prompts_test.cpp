// The record's prompts as the window shows them, answered by a scripted technician: the
// standards box at start-up with the chooser and its memory, and File > Certificate...
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/settings.h"
#include "record/record_prompts.h"
#include "record/run_list.h"
#include "test/results/results_fixture.h"
#include "test/support/scripted_file_dialogs.h"
#include "test/support/scripted_operator.h"

namespace veridane {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;
using testing::OffsetResult;
using testing::ScratchStore;
using testing::ScriptedOperator;

constexpr const char* kTwoCalibrators = R"([[standard]]
model = "Fluke 5100B"
serial = "A-1"
asset = "LAB-1"
certificate = "C-1"
calibrated = 2026-06-01
due = 2027-06-01

[[standard]]
model = "Fluke 5100B"
serial = "A-2"
asset = "LAB-2"
certificate = "C-2"
calibrated = 2025-01-01
due = 2026-01-01
)";

const std::vector<BenchInstrument> kBench{{"Calibrator", "Fluke 5100A/B"}};
constexpr std::chrono::year_month_day kToday{year{2026}, month{12}, day{7}};

TEST(RecordPrompts, TheChoiceIsAskedOnceAndTheOverdueOneIsNamedWithCancelFirst) {
  MemorySettings settings;
  StandardsSource source;
  source.shippedText = kTwoCalibrators;
  int asked = 0;
  StandardChooser choose = [&](const std::string& model, const std::vector<std::string>& assets) {
    ++asked;
    EXPECT_EQ(model, "Fluke 5100A/B");
    EXPECT_EQ(assets, (std::vector<std::string>{"LAB-1", "LAB-2"}));
    return std::string("LAB-2");
  };
  ScriptedOperator technician;  // nothing due soon: no box of its own
  std::vector<std::string> asked_go_on;
  bool goOn = false;
  auto goOnAnyway = [&](const std::string& text) {
    asked_go_on.push_back(text);
    return goOn;
  };
  RunContext context;
  EXPECT_FALSE(AskAboutStandards(source, kBench, {technician, settings, "sim", choose, kToday, goOnAnyway}, context));
  EXPECT_EQ(asked, 1);
  ASSERT_EQ(asked_go_on.size(), 1u);
  EXPECT_EQ(asked_go_on[0],
            "These reference standards may not be used for a calibration:\n- Calibrator Fluke 5100A/B (asset LAB-2, due "
            "2026-01-01): OVERDUE since 2026-01-01\n\nOK runs anyway, and every record of the run says so; Cancel ends "
            "the program.");

  // The choice is remembered for this bench: the next start asks no more, and OK goes on
  // with the run marked.
  goOn = true;
  EXPECT_TRUE(AskAboutStandards(source, kBench, {technician, settings, "sim", choose, kToday, goOnAnyway}, context));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(asked_go_on.size(), 2u);
  EXPECT_TRUE(context.overdue);
  ASSERT_EQ(context.standards.size(), 1u);
  EXPECT_EQ(context.standards[0].serial, "A-2");
  EXPECT_EQ(context.standardsRegister, kShippedRegisterName);

  // Another bench has its own choice; choosing the calibrated one asks nothing further.
  choose = [&](const std::string&, const std::vector<std::string>&) { return std::string("lab-1"); };
  EXPECT_TRUE(AskAboutStandards(source, kBench, {technician, settings, "gpib:0", choose, kToday, goOnAnyway}, context));
  EXPECT_EQ(asked_go_on.size(), 2u);
  EXPECT_FALSE(context.overdue);
  EXPECT_EQ(context.standards[0].serial, "A-1");
  technician.ExpectAllConsumed();
}

TEST(RecordPrompts, ABrokenRegisterIsNamedAndOkRunsWithoutIt) {
  MemorySettings settings;
  StandardsSource source;
  source.commandLineFile = "/no/such/standards.toml";
  ScriptedOperator technician;
  std::string asked;
  auto goOnAnyway = [&](const std::string& text) {
    asked = text;
    return true;
  };
  RunContext context;
  EXPECT_TRUE(AskAboutStandards(source, kBench, {technician, settings, "sim", {}, kToday, goOnAnyway}, context));
  EXPECT_NE(asked.find("/no/such/standards.toml: the standards register"), std::string::npos) << asked;
  EXPECT_TRUE(context.overdue);
  ASSERT_EQ(context.standards.size(), 1u);
  EXPECT_EQ(context.standards[0].state, "no register");
  technician.ExpectAllConsumed();
}

TEST(RecordPrompts, ConditionsAreReadInEitherDecimalWay) {
  std::optional<double> value;
  EXPECT_TRUE(ConditionReading(" 22,5 ", -40, 80, value));
  EXPECT_DOUBLE_EQ(*value, 22.5);
  EXPECT_TRUE(ConditionReading("", -40, 80, value));
  EXPECT_FALSE(value.has_value());
  EXPECT_FALSE(ConditionReading("81", -40, 80, value));
  EXPECT_FALSE(ConditionReading("22 C", -40, 80, value));
  EXPECT_FALSE(ConditionReading("nan", -40, 80, value));
}

TEST(RecordPrompts, AnUnfinishedRunIsCertifiedOnlyAsPartialAndWhenAgreed) {
  ScratchStore scratch("record-prompts");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  RunFacts facts = testing::SomeRun("B1", "2026-12-07T10:00:00+01:00");
  const int64_t run = *store.AddRun(facts);
  ASSERT_TRUE(store.AddRow(run, facts.startedAt, OffsetResult("CH1 2 mV/div", 0.0032f, 0.0001f)));
  const std::vector<RunTestOutcome> outcomes{{1, "Offset at Zero", TestOutcome::Passed}, {3, "Analog Bandwidth", TestOutcome::NotRun}};
  testing::ScriptedFileDialogs dialogs;
  const std::string pdf = (scratch.Folder() / "c.pdf").string();
  dialogs.Expect(testing::ScriptedFileDialogs::Kind::Save, "Save Certificate", pdf);

  ScriptedOperator technician;
  technician.Expect("These tests of the run have no result:\n- Analog Bandwidth\n\nIssue a partial certificate that names them?",
                    kYesNo + kQuestion + kDefaultButton2, "Certificate", kNo);
  CertificateCommand(store, run, outcomes, {technician, dialogs, LabIdentity{}, "2026-12-07T11:00:00+01:00"});
  EXPECT_FALSE(std::filesystem::exists(pdf));
  EXPECT_EQ(store.TestOutcomes(run), outcomes);  // kept, whatever the answer

  technician.ExpectContaining("partial certificate", kYesNo + kQuestion + kDefaultButton2, "Certificate", kYes);
  technician.Expect("Certificate VD-000001 of run 1 saved.", kOkOnly + kInformation, "Certificate", kOk);
  CertificateCommand(store, run, outcomes, {technician, dialogs, LabIdentity{}, "2026-12-07T11:00:00+01:00"});
  EXPECT_TRUE(std::filesystem::exists(pdf));
  EXPECT_EQ(dialogs.Requests().back().initialName, "B1 2026-12-07.pdf");
  technician.ExpectAllConsumed();
  dialogs.ExpectAllConsumed();
}

// History certifies any stored run, a day later or after a restart: with the outcomes it was
// stored with, under "<serial> <run date>.pdf", once; the run list then names the certificate.
TEST(RecordPrompts, AStoredRunIsCertifiedOnceFromHistory) {
  ScratchStore scratch("record-history");
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  RunFacts facts = testing::SomeRun("B/7", "2026-12-06T16:20:00+01:00");
  const int64_t run = *store.AddRun(facts);
  StepResult failed = OffsetResult("CH2 2 mV/div", 0.0032f, 0.0051f);
  failed.verdict = Verdict::Fail;
  ASSERT_TRUE(store.AddRow(run, facts.startedAt, OffsetResult("CH1 2 mV/div", 0.0032f, 0.0001f)));
  ASSERT_TRUE(store.AddRow(run, facts.startedAt, failed));
  ASSERT_TRUE(store.SetTestOutcomes(run, {{1, "Offset at Zero", TestOutcome::Failed}}));
  const int64_t other = *store.AddRun(testing::SomeRun("B/7", "2026-12-07T09:00:00+01:00"));

  std::vector<RunSummary> listed = SummariseRuns(store, "B/7", "VD-");
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_TRUE(listed[0].Failed());
  ASSERT_NE(listed[0].Test(1), nullptr);
  EXPECT_EQ(listed[0].Test(1)->outcome, TestOutcome::Failed);
  EXPECT_TRUE(listed[0].certificates.empty());
  EXPECT_FALSE(listed[1].Failed());

  testing::ScriptedFileDialogs dialogs;
  const std::string pdf = (scratch.Folder() / "yesterday.pdf").string();
  dialogs.Expect(testing::ScriptedFileDialogs::Kind::Save, "Save Certificate", pdf);
  ScriptedOperator technician;
  technician.Expect("Certificate VD-000001 of run 1 saved.", kOkOnly + kInformation, "Certificate", kOk);
  EXPECT_TRUE(CertifyStoredRun(store, run, {technician, dialogs, LabIdentity{}, "2026-12-07T11:00:00+01:00", "/lab/certs"}));
  EXPECT_TRUE(std::filesystem::exists(pdf));
  EXPECT_EQ(dialogs.Requests().back().initialName, "B-7 2026-12-06.pdf");
  EXPECT_EQ(dialogs.Requests().back().initialFolder, "/lab/certs");
  EXPECT_EQ(store.TestOutcomes(run), (std::vector<RunTestOutcome>{{1, "Offset at Zero", TestOutcome::Failed}}));

  // A second time: the certificate it has is named, and no number is spent.
  technician.ExpectContaining("has certificate VD-000001 already (issued 2026-12-07, " + pdf + ")", kOkOnly + kInformation,
                              "Certificate", kOk);
  EXPECT_FALSE(CertifyStoredRun(store, run, {technician, dialogs, LabIdentity{}, "2026-12-07T12:00:00+01:00"}));
  EXPECT_EQ(store.Certificates(run).size(), 1u);
  listed = SummariseRuns(store, "B/7", "VD-");
  EXPECT_EQ(listed[0].certificates, std::vector<std::string>{"VD-000001"});

  // A run without outcomes (a test interrupted, then the program ended) is certified only as
  // a partial certificate, as --partial does.
  technician.ExpectContaining("partial certificate", kYesNo + kQuestion + kDefaultButton2, "Certificate", kNo);
  EXPECT_FALSE(CertifyStoredRun(store, other, {technician, dialogs, LabIdentity{}, "2026-12-07T12:00:00+01:00"}));
  EXPECT_TRUE(store.Certificates(other).empty());
  technician.ExpectAllConsumed();
  dialogs.ExpectAllConsumed();
}

}  // namespace
}  // namespace veridane
