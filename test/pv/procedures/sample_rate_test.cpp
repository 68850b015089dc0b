// The Long Term Sample Rate & Delay Time test: the result row and its limits, the cursor scans
// that find the marker's middle level, and the test's traffic and prompts on the recording bus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/numbers.h"
#include "pv/procedures/sample_rate.h"
#include "test/support/pv_bench.h"

namespace veridane::testing {
namespace {

const std::string kStep = " 1 ms/div  500 ns/div  10.00000 ms  \xB1" "1000 ns/\xB1" "100 ppm";
const std::string kTitle = "Long Term Sample Rate & Delay Time - TEST T/B / 1 of 1";
const std::string kEndCaption = "Long Term Sample Rate & Delay Time / End of Test";
constexpr int kTimeMarkAddress = 6;

std::string Row(float y, int16_t& status) {
  const StepResult result = SampleRateResult(y);
  if (Failed(result.verdict)) status = -1;
  return result.text;
}
std::string Verdict(const std::string& row) { return row.substr(row.size() - 5); }

TEST(SampleRateRow, LaidOutAsTheExamples) {
  int16_t status = 0;
  EXPECT_EQ(Row(0.35f, status), kStep + "   350 ns/ 35.0 ppm  PASS");
  EXPECT_EQ(Row(-0.82f, status), kStep + "  -820 ns/-82.0 ppm >PASS");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Row(2.01f, status), kStep + "    NOT MEASURABLE         FAIL");
  EXPECT_EQ(status, -1);
}

TEST(SampleRateRow, OneMicrosecondIsTheLimitAndTwoTheWindow) {
  struct Case {
    float y;
    const char* verdict;
    int16_t status;
  };
  for (const Case& c : {Case{0.7f, " PASS", 0}, Case{-0.7f, " PASS", 0}, Case{1.0f, ">PASS", 0},
                        Case{-1.0f, ">PASS", 0}, Case{1.01f, " FAIL", -1}, Case{2.0f, " FAIL", -1},
                        Case{-2.0f, " FAIL", -1}}) {
    int16_t status = 0;
    const std::string row = Row(c.y, status);
    EXPECT_EQ(row.size(), 78u) << row;
    EXPECT_EQ(Verdict(row), c.verdict) << c.y;
    EXPECT_EQ(status, c.status) << c.y;
  }
  for (float outside : {2.01f, -2.2f, 2.2000003f}) {
    int16_t status = 0;
    EXPECT_NE(Row(outside, status).find("NOT MEASURABLE"), std::string::npos) << outside;
    EXPECT_EQ(status, -1);
  }
}

// A marker whose edge reaches `edge` µs: the level read at a cursor position is 1 V from there
// on, 0 V before it. Every position sent is kept.
class MarkerEdge : public CursorProbe {
 public:
  explicit MarkerEdge(double edge) : edge_(edge) {}
  float LevelAt(const std::string& positionText) override {
    sent.push_back(positionText);
    return NumericValue(positionText) >= edge_ - 1e-6 ? 1.0f : 0.0f;
  }
  std::vector<std::string> sent;

 private:
  double edge_;
};

TEST(CursorScan, CoarseThenFineFindsTheEdgeOnTheSentGrid) {
  MarkerEdge marker(0.35);
  EXPECT_EQ(ScanForMidLevel(marker, 0.5f), 0.35f);
  // Coarse: -2.0 to 0.4 (the first at the level); fine from 0.2 to 0.35.
  ASSERT_EQ(marker.sent.size(), 13u + 16u);
  EXPECT_EQ(marker.sent[0], "-2.0");
  EXPECT_EQ(marker.sent[12], " 0.4");
  EXPECT_EQ(marker.sent[13], " 0.20");
  EXPECT_EQ(marker.sent.back(), " 0.35");
}

// Single-precision steps drift off the 0.01 µs grid; what is judged is the position sent, so a
// marker at exactly ±1 µs is the marginal PASS the row shows, never a FAIL.
TEST(CursorScan, EdgesOnTheLimitsAreJudgedAsSent) {
  for (double edge : {-1.0, 1.0, -1.37, 0.07, 1.99}) {
    MarkerEdge marker(edge);
    const float y = ScanForMidLevel(marker, 0.5f);
    EXPECT_EQ(y, static_cast<float>(std::lround(edge * 100)) / 100.0f) << edge;
    EXPECT_EQ(NumericValue(marker.sent.back()), NumericValue(std::to_string(edge).substr(0, 5))) << edge;
  }
  int16_t status = 0;
  MarkerEdge atLimit(-1.0);
  EXPECT_EQ(Verdict(Row(ScanForMidLevel(atLimit, 0.5f), status)), ">PASS");
}

TEST(CursorScan, NoCrossingInsideTheWindowIsNotMeasurable) {
  // Already at the level at -2.0 µs: the fine scan starts at -2.2 and stops there at once.
  MarkerEdge early(-3.0);
  const float y = ScanForMidLevel(early, 0.5f);
  EXPECT_FLOAT_EQ(y, -2.2f);
  EXPECT_EQ(early.sent, (std::vector<std::string>{"-2.0", "-2.20"}));

  // Beyond 2.0 µs: found by no scan.
  MarkerEdge late(2.05);
  EXPECT_GT(ScanForMidLevel(late, 0.5f), 2.0f);
  EXPECT_EQ(late.sent.back(), " 2.0");  // the coarse scan ends there; the fine one would start beyond

  // Exactly at 2.0 µs: measured, and a FAIL.
  MarkerEdge last(2.0);
  int16_t status = 0;
  EXPECT_EQ(Verdict(Row(ScanForMidLevel(last, 0.5f), status)), " FAIL");

  // Readings that are not numbers read 0: with a mid level of 0 the first position stops.
  MarkerEdge never(100);
  EXPECT_FLOAT_EQ(ScanForMidLevel(never, 0.0f), -2.2f);
}

class SampleRateTest : public PvBench {
 protected:
  SampleRateTest() {
    gpib.SetAnswer(kScopeAddress, "SEL?", "1;0;0;0;0;CH1\n");
    for (const char* query : {"MEASU:MEAS1?", "MEASU:MEAS2?", "MEASU:IMM?", "MEASU:METH?", "ACQ?"})
      gpib.SetAnswer(kScopeAddress, query, ":MEASUREMENT:METHOD MINMAX\n");
    gpib.SetAnswer(kScopeAddress, "MEASU:IMM:TYP HIGH;VAL?", "1.02\n");
    gpib.SetAnswer(kScopeAddress, "MEASU:IMM:TYP LOW;VAL?", "0.01\n");
  }
  void AutoBench() {
    AddScanners();
    roles.ScannerConfig = "CGTR:A3;CH1:B1C1;";
    roles.TimeMarkDevice = Device(kTimeMarkAddress);
    state.AutoMode = Automation::Full;
  }
  // The marker is high wherever the cursor stands: the crossing lies before the window.
  void MarkerAlwaysHigh() { gpib.SetAnswer(kScopeAddress, "CURSOR:PAI:HPOS2?", "1.0\n"); }
  std::vector<std::string> ScopeWrites() const { return WrittenTo(kScopeAddress); }
  bool Wrote(const std::string& text) const {
    std::vector<std::string> w = ScopeWrites();
    return std::find(w.begin(), w.end(), text) != w.end();
  }
};

TEST_F(SampleRateTest, AutoRunSetsTheMarkersScansAndResetsTheGenerator) {
  AutoBench();
  MarkerAlwaysHigh();
  Readings({"100", "1.0"});  // the marker rate and height the closed loop reads
  technician.Expect("Insert a 50 ohm termination in the path to CH1 input.", 65, "Long Term Sample Rate & Delay Time",
                    kOk);
  technician.Expect("Test Failed.              ", 64, kEndCaption, kOk);

  SampleRate(link, benchParts, technician, testRun);

  EXPECT_TRUE(Wrote("CH1:SCA .2;POS -2.5"));
  EXPECT_FALSE(Wrote("CH1:SCA .5;POS -1.5"));
  const std::vector<std::string> marks = WrittenTo(kTimeMarkAddress);
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[0], "MODE MKRS;U/D 10E-3");
  EXPECT_EQ(marks[1], "INIT");
  // The averaged record is frozen before the levels are read and the cursor walks it.
  const int frozen = IndexOf(kScopeAddress, "ACQ:STATE OFF");
  ASSERT_GE(frozen, 0);
  EXPECT_LT(IndexOf(kScopeAddress, "HOR:DEL:TIM 1E-2"), frozen);
  EXPECT_LT(frozen, IndexOf(kScopeAddress, "CURS:VBA:POSITION2 -2.0E-6"));
  EXPECT_GE(TimeOf(kScopeAddress, "ACQ:STATE OFF") - TimeOf(kScopeAddress, "ACQ:MOD AVE;NUMAV 16"), 2.0);
  EXPECT_TRUE(Wrote("CURS:VBA:POSITION2 -2.20E-6"));

  const std::vector<std::string> lines = DisplayLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], kTitle);
  EXPECT_EQ(lines[3], kStep + "    NOT MEASURABLE         FAIL");
  EXPECT_EQ(state.TestStatus[kTestSampleRate], TestOutcome::Failed);
}

TEST_F(SampleRateTest, WithinAnAutoFullSequenceNoTerminationPrompt) {
  AutoBench();
  state.FullSeqRunning = true;
  MarkerAlwaysHigh();
  Readings({"100", "1.0"});
  SampleRate(link, benchParts, technician, testRun);
  EXPECT_TRUE(technician.Prompts().empty());
  EXPECT_EQ(state.TestStatus[kTestSampleRate], TestOutcome::Failed);
  EXPECT_TRUE(state.FullSeqFailed);
}

TEST_F(SampleRateTest, ManualCancelAtTheConnectionEndsWithoutResultOrReminder) {
  technician.Expect("Connect the a Time Mark Generator to CH 1 through a 50 ohm termination.\r\nSet it to 10 ms.", 65,
                    "Long Term Sample Rate & Delay Time", kCancel);
  SampleRate(link, benchParts, technician, testRun);
  EXPECT_TRUE(Wrote("CH1:SCA .5;POS -1.5"));
  EXPECT_FALSE(Wrote("HOR:MOD DELAYE;DEL:SCA 5E-7"));
  EXPECT_TRUE(DisplayLines().empty());
  EXPECT_EQ(state.TestStatus[kTestSampleRate], TestOutcome::NotRun);
}

// The technician gives up on the marker rate: the test ends before measuring, with the
// reminder, since the generator is connected by then.
TEST_F(SampleRateTest, ManualStopWhileSettingTheRateEndsWithTheReminder) {
  Readings({"50", "1.0"});
  technician.Expect("Connect the a Time Mark Generator to CH 1 through a 50 ohm termination.\r\nSet it to 10 ms.", 65,
                    "Long Term Sample Rate & Delay Time", kOk);
  technician.Expect("The frequency is out of limit!\nIncrease the signal frequency to 100  Hz.\n\nTry again ?", 19,
                    "Frequency Error", kCancel);
  technician.Expect("Disconnect all input signals.", 64, kEndCaption, kOk);
  SampleRate(link, benchParts, technician, testRun);
  EXPECT_FALSE(Wrote("HOR:MOD DELAYE;DEL:SCA 5E-7"));
  EXPECT_EQ(state.TestStatus[kTestSampleRate], TestOutcome::NotRun);
}

// Exit Test during the scans: the row is finished, then the frame reports the stop and keeps
// the status.
TEST_F(SampleRateTest, ExitTestDuringTheScansTakesEffectAtTheEnd) {
  AutoBench();
  Readings({"100", "1.0"});
  gpib.SetAnswer(kScopeAddress, "CURSOR:PAI:HPOS2?", "0.0\n");
  ExitTestAfter("CURS:VBA:POSITION2 -1.0E-6", 0.1);
  technician.Expect("Insert a 50 ohm termination in the path to CH1 input.", 65, "Long Term Sample Rate & Delay Time",
                    kOk);
  technician.Expect("Test Sequence Terminated by Operator.", 64, kEndCaption, kOk);
  SampleRate(link, benchParts, technician, testRun);
  EXPECT_TRUE(Wrote("CURS:VBA:POSITION2  2.0E-6"));
  const std::vector<std::string> lines = DisplayLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), "TEST SEQUENCE TERMINATED BY OPERATOR.");
  EXPECT_NE(display.Text().find("NOT MEASURABLE"), std::string::npos);
  EXPECT_EQ(state.TestStatus[kTestSampleRate], TestOutcome::NotRun);
}

}  // namespace
}  // namespace veridane::testing
