// The Analog Bandwidth test against the recording bus: the model's test frequencies, the rows
// and their verdicts, the level asked of each generator, and the ways the test stops early.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test/support/pv_bench.h"
#include "pv/procedures/analog_bandwidth.h"

namespace veridane::testing {
namespace {

constexpr int kGeneratorAddress = 10;
const std::string kTitle = "Analog Bandwidth - Test ACQ / 3 of 3";
const std::string kHeader = "CHANNEL  VERT SCALE  REF @ 50 kHz  -3 dB        MEASURED         FREQ  PASS/FAIL";
const std::string kEndCaption = "Analog Bandwidth / End of Test";
const std::vector<float> kScales = {0.002f, 0.005f, 0.01f, 0.02f, 0.05f, 0.1f, 0.2f, 0.5f, 1.0f};

std::string Number(double value) { return std::to_string(value); }

// The frequency column of a row: the five characters before " MHz".
std::string FrequencyColumn(const std::string& row) {
  size_t unit = row.rfind(" MHz");
  return unit == std::string::npos || unit < 5 ? std::string() : row.substr(unit - 5, 5);
}

class BandwidthTest : public PvBench {
 protected:
  BandwidthTest() {
    gpib.SetAnswer(kScopeAddress, "SEL?", "1;0;0;0;0;CH1\n");
    for (const char* query : {"MEASU:MEAS1?", "MEASU:MEAS2?", "MEASU:IMM?", "MEASU:METH?", "ACQ?"})
      gpib.SetAnswer(kScopeAddress, query, ":MEASUREMENT:METHOD MINMAX\n");
  }
  void AutoBench() {
    AddScanners();
    roles.ScannerConfig = "SG:A1;CH1:B2;CH2:B3C3;";
    roles.SGDevice = Device(kGeneratorAddress);
    roles.SGModel = 5030;
    roles.SGName = "SG 5030";
    for (size_t k = 0; k < 12; ++k) {
      generator.compTable[0][k] = 3.0f;
      generator.compTable[1][k] = 5.0f;
    }
    state.AutoMode = Automation::Full;
  }
  // The scope's answers of a whole Auto run: at 50 kHz the six (five) divisions, at the test
  // frequency `ratio` of them.
  void AutoReadings(float lowMHz, float highMHz, float ratio) {
    for (int channel = 0; channel < 2; ++channel) {
      for (size_t i = 0; i < kScales.size(); ++i) {
        const double amplitude = (kScales[i] > 0.5f ? 5 : 6) * kScales[i];
        const double testHz = (i == 0 ? lowMHz : highMHz) * 1e6;
        Readings({"50.0E3", Number(amplitude), Number(amplitude), Number(testHz), Number(amplitude * ratio),
                  Number(amplitude * ratio)});
      }
    }
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (const std::string& line : DisplayLines())
      if (line.rfind(" CH ", 0) == 0) rows.push_back(line);
    return rows;
  }
};

struct ModelCase {
  const char* name;
  int16_t code;
  const char* model;
  float lowMHz;   // at 2 mV/div
  float highMHz;  // every other step
  const char* lowColumn;
  const char* highColumn;
  const char* timebase;
};

void PrintTo(const ModelCase& c, std::ostream* os) { *os << c.name; }

class BandwidthModel : public BandwidthTest, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(BandwidthModel, RunsEachStepAtTheModelsFrequencyAndPasses) {
  const ModelCase& c = GetParam();
  scope.ScopeModelCode = c.code;
  scope.ScopeModel = c.model;
  AutoBench();
  AutoReadings(c.lowMHz, c.highMHz, 0.8f);
  technician.Expect("Insert a 50 ohm termination in the path to all scope inputs (including EXT TRIG).", 65,
                    "Analog Bandwidth", kOk);
  technician.Expect("Test Passed.              ", 64, kEndCaption, kOk);

  Bandwidth(link, benchParts, technician, testRun);

  std::vector<std::string> lines = DisplayLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], kTitle);
  EXPECT_EQ(lines[1], kHeader);
  std::vector<std::string> rows = Rows();
  ASSERT_EQ(rows.size(), 18u);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].size(), 78u) << rows[i];
    EXPECT_EQ(rows[i].substr(0, 5), i < 9 ? " CH 1" : " CH 2");
    EXPECT_EQ(FrequencyColumn(rows[i]), i % 9 == 0 ? c.lowColumn : c.highColumn) << rows[i];
    EXPECT_EQ(rows[i].substr(73), " PASS") << rows[i];
  }
  EXPECT_EQ(state.TestStatus[kTestBandwidth], TestOutcome::Passed);

  std::vector<std::string> scopeWrites = WrittenTo(kScopeAddress);
  EXPECT_EQ(std::count(scopeWrites.begin(), scopeWrites.end(), std::string("HOR:MAI:SEC ") + c.timebase), 18);
  EXPECT_EQ(std::count(scopeWrites.begin(), scopeWrites.end(), "TRIG:MAI:EDGE:COUP DC"), 2);
  EXPECT_EQ(std::count(scopeWrites.begin(), scopeWrites.end(), "CH2:SCA .002"), 1);
  // The 1 V/div step asks for 5 V p-p: the SG 5030's second row.
  std::vector<std::string> sg = WrittenTo(kGeneratorAddress);
  EXPECT_EQ(std::count(sg.begin(), sg.end(), "AMPL 5;FRE 50000;OUT ON"), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Models, BandwidthModel,
    ::testing::Values(ModelCase{"Tds310", 1, "TDS 310", 50, 50, "   50", "   50", "25E-9"},
                      ModelCase{"Tds320", 2, "TDS 320", 100, 100, "  100", "  100", "10E-9"},
                      ModelCase{"Tds340", 4, "TDS 340", 100, 100, "  100", "  100", "10E-9"},
                      ModelCase{"Tds350", 5, "TDS 350", 180, 200, "  180", "  200", "5E-9"},
                      ModelCase{"Tds360", 6, "TDS 360", 180, 200, "  180", "  200", "5E-9"},
                      ModelCase{"Tds380", 8, "TDS 380", 250, 400, "  250", "  400", "2.5E-9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BandwidthTest, LowRollOffFailsTheTest) {
  AutoBench();
  AutoReadings(100, 100, 0.6f);
  technician.Expect("Insert a 50 ohm termination in the path to all scope inputs (including EXT TRIG).", 65,
                    "Analog Bandwidth", kOk);
  technician.Expect("Test Failed.              ", 64, kEndCaption, kOk);

  Bandwidth(link, benchParts, technician, testRun);

  for (const std::string& row : Rows()) EXPECT_EQ(row.substr(73), " FAIL") << row;
  EXPECT_EQ(state.TestStatus[kTestBandwidth], TestOutcome::Failed);
}

// A step judges the reading at the test frequency: its uncertainty takes that reading's replies
// alone, and a step whose reading the scope could not make has none (not the 50 kHz reference's).
TEST_F(BandwidthTest, EachStepCarriesTheRepliesOfItsOwnReadingAndNoneWithoutOne) {
  AutoBench();
  for (int channel = 0; channel < 2; ++channel) {
    for (size_t i = 0; i < kScales.size(); ++i) {
      const double amplitude = (kScales[i] > 0.5f ? 5 : 6) * kScales[i];
      const std::string measured = channel == 0 && i == 0 ? "9.9E37" : Number(amplitude * 0.8);
      Readings({"50.0E3", Number(amplitude), Number(amplitude), Number(100e6), Number(amplitude * 0.8), measured});
    }
  }
  technician.Expect("Insert a 50 ohm termination in the path to all scope inputs (including EXT TRIG).", 65,
                    "Analog Bandwidth", kOk);
  technician.Expect("Test Failed.              ", 64, kEndCaption, kOk);

  Bandwidth(link, benchParts, technician, testRun);

  const std::vector<AssessedStep>& steps = display.Results();
  ASSERT_EQ(steps.size(), 18u);
  EXPECT_FALSE(steps[0].result.measured.has_value());
  EXPECT_TRUE(steps[0].readings.empty());
  ASSERT_EQ(steps[1].readings.size(), 1u);
  EXPECT_EQ(steps[1].readings[0].replies, std::vector<std::string>{Number(0.03 * 0.8)});
  EXPECT_EQ(steps[1].result.test, kTestBandwidth);
}

TEST_F(BandwidthTest, StopAtTheConnectionPromptEndsWithoutAResultOrReminder) {
  technician.Expect("Frequency:  50.0 kHz\nAmplitude:   10.00 mV pp (3.536 mV rms)", 48, "Set the Signal Generator", kOk);
  technician.Expect("Connect the Signal Generator to CH 1 trough a 50 ohm termination.", 65, "Analog Bandwidth",
                    kCancel);

  Bandwidth(link, benchParts, technician, testRun);

  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(state.TestStatus[kTestBandwidth], TestOutcome::NotRun);
  EXPECT_FALSE(state.AbortFlag);
}

// By hand: the hint once, before channel 1, OK only; a stop at the first setting leaves nothing
// recorded, but the signal was connected, so the reminder comes.
TEST_F(BandwidthTest, ManualStopAtTheFirstSettingShowsTheHintOnceAndRecordsNothing) {
  const std::string reset = "Frequency:  50.0 kHz\nAmplitude:   10.00 mV pp (3.536 mV rms)";
  technician.Expect(reset, 48, "Set the Signal Generator", kOk);
  technician.Expect("Connect the Signal Generator to CH 1 trough a 50 ohm termination.", 65, "Analog Bandwidth", kOk);
  technician.ExpectContaining("A hint as you are doing this test manually", 64, "Analog Bandwidth", kOk);
  technician.Expect("Frequency:  50.0 kHz\nAmplitude:   12.00 mV pp (4.243 mV rms)", 49, "Set the Signal Generator",
                    kCancel);
  technician.Expect(reset, 48, "Set the Signal Generator", kOk);
  technician.Expect("Disconnect all input signals.", 64, kEndCaption, kOk);

  Bandwidth(link, benchParts, technician, testRun);

  EXPECT_NE(technician.Prompts()[2].text.find(".\n\nIf done like this"), std::string::npos);
  EXPECT_EQ(state.TestStatus[kTestBandwidth], TestOutcome::NotRun);
  EXPECT_TRUE(Rows().empty());
}

std::string BandwidthRow(int16_t channel, float scale, float reference, float measured, float mhz, int16_t& failed) {
  const StepResult result = BandwidthResult(channel, scale, reference, measured, mhz);
  failed = Failed(result.verdict) ? -1 : 0;
  return result.text;
}

TEST(BandwidthRow, LaidOutAsTheExampleRow) {
  int16_t failed = 0;
  EXPECT_EQ(BandwidthRow(1, 0.002f, 0.0121f, 0.0101f, 80, failed),
            " CH 1      2 mV/div    12.10 mV   8.567 mV   10.10 mV/-1.57 dB   80 MHz   PASS");
  EXPECT_EQ(failed, 0);
}

TEST(BandwidthRow, SeventyPercentOfTheReferenceIsTheLimit) {
  for (float reference : {0.012f, 0.03f, 0.3f, 1.2f, 3.0f, 5.0f}) {
    int16_t failed = 0;
    EXPECT_EQ(BandwidthRow(2, 1, reference, 0.7f * reference, 400, failed).substr(73), " PASS") << reference;
    EXPECT_EQ(BandwidthRow(2, 1, reference, 0.69f * reference, 400, failed).substr(73), " FAIL") << reference;
    EXPECT_EQ(failed, -1);
  }
}

TEST(BandwidthRow, WithoutASignalTheRowStaysFullWidthAndFails) {
  int16_t failed = 0;
  std::string noTestSignal = BandwidthRow(1, 0.01f, 0.06f, 0, 100, failed);
  EXPECT_EQ(noTestSignal, " CH 1     10 mV/div    60.00 mV   42.48 mV   0.000  V/  --- dB  100 MHz   FAIL");
  EXPECT_EQ(failed, -1);

  failed = 0;
  std::string noReference = BandwidthRow(1, 0.01f, 0, 0.05f, 100, failed);
  EXPECT_EQ(noReference.size(), 78u);
  EXPECT_EQ(noReference.substr(73), " FAIL");
  EXPECT_EQ(failed, -1);
}

// An amplitude the scope could not measure is no reading, not 0 V: the row keeps its width.
TEST(BandwidthRow, NoReadingIsShownAsSuchAndFails) {
  const StepResult result = BandwidthResult(1, 0.01f, 0.06f, std::nullopt, 100);
  EXPECT_EQ(result.text, " CH 1     10 mV/div    60.00 mV   42.48 mV no reading/  --- dB  100 MHz   FAIL");
  EXPECT_EQ(result.verdict, Verdict::NotMeasurable);
  EXPECT_FALSE(result.measured.has_value());
  EXPECT_EQ(*result.lower, 0.042);  // 70 % of the reference
}

class DeliverableLevelTest : public PvBench {
 protected:
  void Generator(int16_t model) {
    roles.SGDevice = Device(kGeneratorAddress);
    roles.SGModel = model;
    state.AutoMode = Automation::Full;
    for (size_t k = 0; k < 22; ++k) generator.compTable[0][k] = 2.4f;
  }
};

TEST_F(DeliverableLevelTest, StepsBeyondTheGeneratorUseItsHighestLadderLevel) {
  EXPECT_EQ(DeliverableLevel(roles, generator, state.AutoMode, 5.0f), 5.0f);  // the technician's own generator

  Generator(3000);  // SME: up to 3.5 V p-p
  EXPECT_EQ(DeliverableLevel(roles, generator, state.AutoMode, 3.0f), 3.0f);
  EXPECT_EQ(DeliverableLevel(roles, generator, state.AutoMode, 5.0f), 2.4f);

  Generator(6061);  // Fluke: up to 1 V rms
  EXPECT_EQ(DeliverableLevel(roles, generator, state.AutoMode, 3.0f), 2.4f);
  EXPECT_EQ(DeliverableLevel(roles, generator, state.AutoMode, 1.2f), 1.2f);

  Generator(5030);
  EXPECT_EQ(DeliverableLevel(roles, generator, state.AutoMode, 5.0f), 5.0f);
}

}  // namespace
}  // namespace veridane::testing
