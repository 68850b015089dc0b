// Result logs read back into the store: a log as the bench PCs write it (Windows-1252, CR LF,
// compacted rows), its numbers parsed from the columns and named like a live run's steps.
#include <gtest/gtest.h>

#include <fstream>

#include "pv/frame/run_state.h"
#include "report/format.h"
#include "results/log_import.h"
#include "test/results/results_fixture.h"

namespace veridane {
namespace {

const std::vector<ImportTest> kTests = {{kTestOffsetZero, "Offset at Zero"},
                                        {kTestGain, "DC Voltage Measurement"},
                                        {kTestBandwidth, "Analog Bandwidth"},
                                        {kTestSampleRate, "Long Term Sample Rate & Delay Time"},
                                        {kTestTrigger, "Edge Trigger Sensitivity"}};

std::string LogOf(const std::vector<std::string>& lines) {
  std::string content;
  for (const std::string& line : lines) content += CompactLine(line) + "\r\n";
  return content;
}

const std::vector<std::string> kLog = {
    "Performance Verification of TDS 340, S/N: B0\xC9" "1234",
    "",
    "Date & Time: 23.11.2021, 14:05",
    "",
    "Operator: J. M\xFCller",
    "",
    "Comments: as found",
    "",
    "",
    "Offset at Zero - Test ACQ / 1 of 3",
    "CHANNEL       VERTICAL SCALE          LIMITS           MEASURED        PASS/FAIL",
    "",
    " CH 1             2 mV/div           \xB1" "3.20 mV           131 \xB5V            PASS",
    " CH 1            10  V/div           \xB1" "1.30  V         -70.9 mV            PASS",
    "",
    " CH 2             2 mV/div           \xB1" "3.20 mV          2.71 mV           >PASS",
    " CH 2            10 mV/div           \xB1" "4.00 mV          50.2 mV            FAIL",
    "",
    "DC Voltage Measurement - Test ACQ / 2 of 3",
    "  CH  VERT SCALE  POS    OFFSET  DC VOLTAGE     LIMITS        MEASURED PASS/FAIL",
    "",
    " CH 1   5 mV/div  0  div-1.00  V  -990 mV    -998 -  -982 mV   -989 mV    PASS",
    " CH 1  50 mV/div -5  div-1.00  V-900/-600 mV  286 -   314 mV    299 mV    PASS",
    " CH 1   1  V/div  5  div  100  V  98.0  V    97.1 -  98.9  V   97.9  V    PASS",
    "",
    "Analog Bandwidth - Test ACQ / 3 of 3",
    "CHANNEL  VERT SCALE  REF @ 50 kHz  -3 dB        MEASURED         FREQ  PASS/FAIL",
    "",
    " CH 2    200 mV/div    1.197  V   847.5 mV   1.010  V/-1.47 dB  100 MHz   PASS",
    "",
    " CH 1   something this program cannot read                         PASS",
    "",
    "Long Term Sample Rate & Delay Time - TEST T/B / 1 of 1",
    " 1 ms/div  500 ns/div  10.00000 ms  \xB1" "1000 ns/\xB1" "100 ppm  -820 ns/-82.0 ppm >PASS",
    "",
    "Edge Trigger Sensitivity - Test Trig / 1 of 1",
    " CH 1        1.0 div       100 MHz        +       -250 mV -  240 mV       PASS",
    " EXT/10       1.5 V        100 MHz        -          NOT TRIG'D           FAIL",
    " CH 2            10 mV/div           \xB1" "4.00 mV          no reading            FAIL",
};

TEST(LogImport, RowsComeBackWithTheirNumbersUnderTheHeadersFacts) {
  const LogImport import = ParseResultLog(LogOf(kLog), "/logs/LOG340/u7.log", "2022-01-01T00:00:00Z", kTests);
  ASSERT_TRUE(import.error.empty()) << import.error;
  ASSERT_EQ(import.runs.size(), 1u);
  const ImportedRun& run = import.runs[0];
  EXPECT_EQ(run.facts.scopeModel, "TDS 340");
  EXPECT_EQ(run.facts.serial, "B0\xC9" "1234");
  EXPECT_EQ(run.facts.operatorName, "J. M\xFCller");
  EXPECT_EQ(run.facts.comments, "as found");
  EXPECT_EQ(run.facts.source, "/logs/LOG340/u7.log");
  EXPECT_EQ(run.facts.startedAt.substr(0, 16), "2021-11-23T14:05");  // day first with dots
  ASSERT_EQ(run.rows.size(), 11u);
  // Named, so the technician can see what the history lacks.
  ASSERT_EQ(import.skipped.size(), 2u);
  EXPECT_EQ(import.skipped[0], "line 31: CH 1   something this program cannot read                         PASS");
  EXPECT_NE(import.skipped[1].find("no reading"), std::string::npos);  // an offset row under the trigger test

  const StepResult& first = run.rows[0];
  EXPECT_EQ(run.rows[0].testName, "Offset at Zero");
  EXPECT_EQ(first.step, ScaleStep("CH1", 0.002f));
  EXPECT_NEAR(*first.measured, 131e-6, 1e-9);
  EXPECT_NEAR(*first.upper, 0.0032, 1e-7);
  EXPECT_EQ(run.rows[1].step, "CH1 10 V/div");
  EXPECT_NEAR(*run.rows[1].measured, -0.0709, 1e-7);
  EXPECT_EQ(run.rows[2].verdict, Verdict::Marginal);
  EXPECT_EQ(run.rows[3].verdict, Verdict::Fail);

  const StepResult& dc = run.rows[4];
  EXPECT_EQ(dc.step, DcStepName("CH1", 0.005f, -0.99f, false));
  EXPECT_NEAR(*dc.lower, -0.998, 1e-6);  // read in the prefix of the high end
  EXPECT_NEAR(*dc.upper, -0.982, 1e-6);
  EXPECT_NEAR(*dc.measured, -0.989, 1e-6);
  EXPECT_EQ(run.rows[5].step, "CH1 difference");
  EXPECT_NEAR(*run.rows[5].lower, 0.286, 1e-6);
  EXPECT_NEAR(*run.rows[5].measured, 0.299, 1e-6);
  EXPECT_NEAR(*run.rows[6].upper, 98.9, 1e-4);

  const StepResult& bandwidth = run.rows[7];
  EXPECT_EQ(bandwidth.step, "CH2 200 mV/div");
  EXPECT_NEAR(bandwidth.nominal, 1.197, 1e-6);
  EXPECT_NEAR(*bandwidth.measured, 1.010, 1e-6);
  EXPECT_NEAR(*bandwidth.lower, 0.7 * 1.197, 1e-5);
  EXPECT_FALSE(bandwidth.upper.has_value());

  const StepResult& delay = run.rows[8];
  EXPECT_EQ(delay.test, kTestSampleRate);
  EXPECT_EQ(delay.step, "Delay 10 ms");
  EXPECT_DOUBLE_EQ(*delay.measured, -8.2e-7);
  EXPECT_DOUBLE_EQ(*delay.upper, 1e-6);
  EXPECT_EQ(delay.verdict, Verdict::Marginal);
  EXPECT_EQ(run.rows[9].step, "CH1 +");
  EXPECT_EQ(*run.rows[9].measured, 2);
  EXPECT_EQ(run.rows[9].verdict, Verdict::Pass);
  EXPECT_EQ(run.rows[10].step, "EXT/10 -");
  EXPECT_FALSE(run.rows[10].measured.has_value());
  EXPECT_EQ(run.rows[10].verdict, Verdict::Fail);
}

// A reading the scope could not make comes back as no reading, in every test that prints one.
TEST(LogImport, NoReadingCellsAreNoReadings) {
  std::vector<std::string> lines(kLog.begin(), kLog.begin() + 12);
  lines.push_back(" CH 2            10 mV/div           \xB1" "4.00 mV          no reading            FAIL");
  lines.push_back("DC Voltage Measurement - Test ACQ / 2 of 3");
  lines.push_back(" CH 1   5 mV/div  0  div-1.00  V  -990 mV    -998 -  -982 mV no reading    FAIL");
  lines.push_back("Analog Bandwidth - Test ACQ / 3 of 3");
  lines.push_back(" CH 2    200 mV/div    1.197  V   847.5 mV no reading/  --- dB  100 MHz   FAIL");
  lines.push_back("Long Term Sample Rate & Delay Time - TEST T/B / 1 of 1");
  lines.push_back(" 1 ms/div  500 ns/div  10.00000 ms  \xB1" "1000 ns/\xB1" "100 ppm    NOT MEASURABLE         FAIL");
  const LogImport import = ParseResultLog(LogOf(lines), "x.log", "t", kTests);
  ASSERT_EQ(import.runs.size(), 1u);
  EXPECT_TRUE(import.skipped.empty()) << import.skipped.front();
  ASSERT_EQ(import.runs[0].rows.size(), 4u);
  for (const StepResult& row : import.runs[0].rows) {
    EXPECT_FALSE(row.measured.has_value()) << row.text;
    EXPECT_EQ(row.verdict, Verdict::NotMeasurable) << row.text;
  }
  EXPECT_EQ(import.runs[0].rows[1].step, DcStepName("CH1", 0.005f, -0.99f, false));
  EXPECT_NEAR(*import.runs[0].rows[2].lower, 0.7 * 1.197, 1e-5);
}

TEST(LogImport, RepeatedTestStartsASecondRunAndDatesReadEitherWay) {
  std::vector<std::string> lines(kLog.begin(), kLog.begin() + 14);
  lines[0] = "Performance Verification of TDS 340, ID: ________________";
  lines[2] = "Date & Time: 3/4/2022, 09:15";
  lines.insert(lines.end(), kLog.begin() + 9, kLog.begin() + 14);  // Offset at Zero again
  const LogImport import = ParseResultLog(LogOf(lines), "x.log", "file-time", kTests);
  ASSERT_EQ(import.runs.size(), 2u);
  EXPECT_EQ(import.runs[0].facts.serial, "");  // the blank field to write on
  EXPECT_EQ(import.runs[0].facts.startedAt.substr(0, 16), "2022-03-04T09:15");  // month first
  EXPECT_EQ(import.runs[1].rows.size(), 2u);
  // The month by its name, either side of the day.
  for (const char* date : {"Date & Time: 14 Mar 2020, 09:15", "Date & Time: Mar 14, 2020, 09:15"}) {
    lines[2] = date;
    EXPECT_EQ(ParseResultLog(LogOf(lines), "x.log", "file-time", kTests).runs[0].facts.startedAt.substr(0, 16),
              "2020-03-14T09:15")
        << date;
  }
}

TEST(LogImport, FileWithoutHeaderIsRefused) {
  const LogImport import = ParseResultLog("just some text\r\n PASS\r\n", "x.log", "t", kTests);
  EXPECT_FALSE(import.error.empty());
  EXPECT_TRUE(import.runs.empty());
}

TEST(LogImport, StoredOnceEvenWhenImportedTwice) {
  testing::ScratchStore scratch("import");
  std::filesystem::create_directories(scratch.Folder());
  const std::string path = (scratch.Folder() / "u7.log").string();
  { std::ofstream(path, std::ios::binary) << LogOf(kLog); }
  ResultsStore store(scratch.Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const ImportOutcome first = ImportResultLog(store, path, kTests);
  EXPECT_EQ(first.added, 1) << first.error;
  EXPECT_EQ(first.skipped.size(), 2u);
  const ImportOutcome second = ImportResultLog(store, path, kTests);
  EXPECT_EQ(second.added, 0) << second.error;
  EXPECT_EQ(second.alreadyStored, 1);
  // A copy under another name is the same run.
  const std::string copy = (scratch.Folder() / "copy.log").string();
  std::filesystem::copy_file(path, copy);
  EXPECT_EQ(ImportResultLog(store, copy, kTests).added, 0);
  std::vector<StoredRow> rows = store.Rows({"B0\xC9" "1234", "Offset at Zero", "", {}});
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].run.facts.bench, "imported");
  EXPECT_NE(rows[0].run.facts.source.find("u7.log"), std::string::npos);
  const ImportOutcome missing = ImportResultLog(store, (scratch.Folder() / "missing.log").string(), kTests);
  EXPECT_EQ(missing.added, -1);
  EXPECT_FALSE(missing.error.empty());
}

}  // namespace
}  // namespace veridane
