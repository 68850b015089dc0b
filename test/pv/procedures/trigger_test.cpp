// The Edge Trigger Sensitivity test: the result rows, the level sweeps with their back-off and
// two-poll confirmation, and the test's traffic and prompts on the recording bus.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "pv/procedures/trigger_sensitivity.h"
#include "test/support/pv_bench.h"

namespace veridane::testing {
namespace {

const std::string kTitle = "Edge Trigger Sensitivity - Test Trig / 1 of 1";
const std::string kHeader = "SOURCE      AMPLITUDE     FREQUENCY     SLOPE      TRIG'D @ LEVEL      PASS/FAIL";
const std::string kEndCaption = "Edge Trigger Sensitivity / End of Test";

std::string Row(int16_t source, float mhz, bool rising, SlopeLevels levels, int16_t& status) {
  const StepResult result = TriggerResult(source, mhz, rising, levels);
  if (Failed(result.verdict)) status = -1;
  return result.text;
}

TEST(TriggerRow, LaidOutAsTheExamples) {
  int16_t status = 0;
  EXPECT_EQ(Row(1, 100, true, {-250, 240, 2}, status),
            " CH 1        1.0 div       100 MHz        +       -250 mV -  240 mV       PASS");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Row(2, 200, false, {-250, 240, 1}, status),
            " CH 2        1.0 div       200 MHz        -          NOT TRIG'D           FAIL");
  EXPECT_EQ(status, -1);
  status = 0;
  EXPECT_EQ(Row(4, 400, true, {-440, 440, 2}, status),
            " EXT/10       1.5 V        400 MHz        +       -440 mV -  440 mV       PASS");
  EXPECT_EQ(Row(1, 50, true, {0, 0, 0}, status).substr(73), " FAIL");
}

// The level from above may be anything from -900 to 900: every row keeps 78 characters, and
// a level below 100 in magnitude gets its blank after the unit.
TEST(TriggerRow, EveryLevelKeepsTheRowWidth) {
  for (int above : {-900, -250, -100, -90, -10, 0, 10, 90, 100, 440, 900}) {
    int16_t status = 0;
    const std::string row = Row(4, 100, false, {-900, above, 2}, status);
    EXPECT_EQ(row.size(), 78u) << above << " [" << row << "]";
    EXPECT_EQ(row.substr(73), " PASS");
  }
  int16_t status = 0;
  EXPECT_EQ(Row(1, 100, true, {-140, 90, 2}, status).substr(43, 30), "       -140 mV -  90 mV       ");
}

// A scope that triggers while the level lies strictly inside (low, high) mV. Levels in `once`
// trigger on their first poll only (a noise hit). Everything the sweep does is kept in order.
class FakeTrigger : public TriggerProbe {
 public:
  FakeTrigger(int low, int high) : low_(low), high_(high) {}
  void SetLevel(int millivolts) override {
    level_ = millivolts;
    log.push_back("L" + std::to_string(millivolts));
  }
  void Wait(Seconds time) override { log.push_back("W" + std::to_string(static_cast<int>(time.count()))); }
  std::string TriggerState() override {
    log.push_back("Q");
    if (polls_++ == abortAfterPolls) aborted_ = true;
    if (once.count(level_) != 0) {
      once.erase(level_);
      return "TRIGGER\n";
    }
    return level_ > low_ && level_ < high_ ? "TRIGGER\n" : "READY\n";
  }
  bool Aborted() override { return aborted_; }

  std::vector<std::string> Levels() const {
    std::vector<std::string> levels;
    for (const std::string& entry : log)
      if (entry[0] == 'L') levels.push_back(entry.substr(1));
    return levels;
  }
  std::vector<std::string> log;
  std::set<int> once;
  int abortAfterPolls = -1;

 private:
  int low_, high_;
  int level_ = 0;
  int polls_ = 0;
  bool aborted_ = false;
};

TEST(SweepSide, FromBelowBacksOffAndConfirmsAtEachLevel) {
  FakeTrigger scope(-150, 150);
  EXPECT_EQ(SweepSide(scope, -1, 300), -140);
  const std::vector<std::string> log = scope.log;
  // First level settles; unseen levels are polled once without waiting.
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5), (std::vector<std::string>{"L-300", "W1", "Q", "L-290", "Q"}));
  // The first trigger, at -140, is polled twice a second apart; then back 50 mV and one step
  // forward, each level settling a second, up to the confirmed trigger.
  const auto first = std::find(log.begin(), log.end(), "L-140");
  ASSERT_NE(first, log.end());
  EXPECT_EQ(std::vector<std::string>(first, log.end()),
            (std::vector<std::string>{"L-140", "Q", "W1", "Q", "L-180", "W1", "Q", "L-170", "W1", "Q", "L-160", "W1",
                                      "Q", "L-150", "W1", "Q", "L-140", "W1", "Q"}));
}

TEST(SweepSide, FromAboveMirrorsTheSweep) {
  FakeTrigger scope(-150, 130);
  EXPECT_EQ(SweepSide(scope, +1, 300), 120);
  EXPECT_EQ(scope.Levels().front(), "300");
  EXPECT_EQ(scope.Levels()[1], "290");
  const std::vector<std::string> levels = scope.Levels();
  const auto first = std::find(levels.begin(), levels.end(), "120");
  ASSERT_NE(first, levels.end());
  EXPECT_EQ(std::vector<std::string>(first, levels.end()), (std::vector<std::string>{"120", "160", "150", "140", "130", "120"}));
}

TEST(SweepSide, ExtTenStartsAtExactlyNineHundredMillivolts) {
  FakeTrigger scope(-450, 450);
  EXPECT_EQ(SweepSide(scope, -1, 900), -440);
  EXPECT_EQ(scope.Levels().front(), "-900");
  EXPECT_EQ(scope.Levels()[1], "-890");
}

TEST(SweepSide, ATriggerSeenOnceIsNotCounted) {
  FakeTrigger scope(-150, 150);
  scope.once = {-250};
  EXPECT_EQ(SweepSide(scope, -1, 300), -140);
  // -250 was polled twice, then the sweep went on without backing off.
  const auto at = std::find(scope.log.begin(), scope.log.end(), "L-250");
  EXPECT_EQ(std::vector<std::string>(at, at + 5), (std::vector<std::string>{"L-250", "Q", "W1", "Q", "L-240"}));
}

TEST(SweepSide, NothingInsideTheRangeFindsNothing) {
  FakeTrigger deaf(0, 0);
  EXPECT_EQ(SweepSide(deaf, -1, 300), std::nullopt);
  EXPECT_EQ(deaf.Levels().size(), 61u);
  EXPECT_EQ(deaf.Levels().back(), "300");
}

TEST(SweepSide, AStopEndsTheSweepAtItsNextLevel) {
  FakeTrigger scope(-150, 150);
  scope.abortAfterPolls = 3;
  EXPECT_EQ(SweepSide(scope, -1, 300), std::nullopt);
  EXPECT_EQ(scope.Levels().back(), "-270");
}

class TriggerTest : public PvBench {
 protected:
  TriggerTest() {
    gpib.SetAnswer(kScopeAddress, "SEL?", "1;0;0;0;0;CH1\n");
    for (const char* query : {"MEASU:MEAS1?", "MEASU:MEAS2?", "MEASU:IMM?", "MEASU:METH?", "ACQ?"})
      gpib.SetAnswer(kScopeAddress, query, ":MEASUREMENT:METHOD MINMAX\n");
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (const std::string& line : DisplayLines())
      if (line.size() == 78 && line[0] == ' ' && line != kHeader) rows.push_back(line);
    return rows;
  }
  // Scanners routing an SG 5030 to every input, and Auto mode.
  void UseAutoBench() {
    AddScanners();
    roles.ScannerConfig = "SG:A1;CH1:B1C1;CH2:B2C2;AUXTR:B3D1;";
    roles.SGDevice = Device(10);
    roles.SGModel = 5030;
    roles.SGName = "SG 5030";
    state.AutoMode = Automation::WithoutCompensation;
  }
  int Count(const std::string& text) const {
    std::vector<std::string> w = WrittenTo(kScopeAddress);
    return static_cast<int>(std::count(w.begin(), w.end(), text));
  }
};

// A scope that triggers at every level: each side backs off past its start, so the levels
// found are the starts moved out by 40 mV.
TEST_F(TriggerTest, AutoRunShowsSixRowsForTheThreeSources) {
  UseAutoBench();
  gpib.SetAnswer(kScopeAddress, "TRIG:STATE?", "TRIGGER\n");
  // The closed loop's readings at each channel: frequency, amplitude, then frequency, amplitude.
  for (int channel = 0; channel < 2; ++channel) Readings({"100E6", "0.5", "100E6", "0.5"});
  technician.Expect("Insert a 50 ohm termination in the path to all scope inputs.", 65, "Edge Trigger Sensitivity", kOk);
  technician.Expect("Test Passed.              \n\nDisconnect all input signals.", 64, kEndCaption, kOk);

  Trigger(link, benchParts, technician, testRun);

  const std::vector<std::string> lines = DisplayLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], kTitle);
  EXPECT_EQ(lines[1], kHeader);
  const std::vector<std::string> rows = Rows();
  ASSERT_EQ(rows.size(), 6u) << display.Text();
  EXPECT_EQ(rows[0], " CH 1        1.0 div       100 MHz        +       -340 mV -  340 mV       PASS");
  EXPECT_EQ(rows[3].substr(0, 13), " CH 2        ");
  EXPECT_EQ(rows[5], " EXT/10       1.5 V        100 MHz        -       -940 mV -  940 mV       PASS");
  EXPECT_EQ(state.TestStatus[kTestTrigger], TestOutcome::Passed);

  EXPECT_EQ(Count("TRIG:MAI:LEV -300E-3"), 4);
  EXPECT_EQ(Count("TRIG:MAI:LEV  300E-3"), 4);
  EXPECT_EQ(Count("TRIG:MAI:LEV  290E-3"), 0);
  EXPECT_EQ(Count("TRIG:MAI:LEV -900E-3"), 2);
  EXPECT_EQ(Count("TRIG:MAI:LEV 0E-3"), 3);  // back to the middle after each falling slope
  EXPECT_EQ(Count("TRIG:MAI:EDGE:SOU EXT10"), 1);
  EXPECT_EQ(Count("TRIG:MAI:EDGE:SOU EXT"), 0);
  // In Auto mode the CH1 measurements are not set up; the CH2 ones are.
  EXPECT_EQ(Count("MEASU:MEAS1:TYP PK2;SOURCE1 CH1;STATE 1"), 0);
  EXPECT_EQ(Count("MEASU:MEAS1:TYP PK2;SOURCE1 CH2;STATE 1"), 1);
  EXPECT_LT(IndexOf(kScopeAddress, "TRIG:MAI:EDGE:SLO FALL"), IndexOf(kScopeAddress, "TRIG:MAI:LEV 0E-3"));
}

TEST_F(TriggerTest, CancelAtTheOpeningPromptEndsWithoutLinesOrReminder) {
  technician.Expect("Frequency:  50.0 kHz\nAmplitude:   10.00 mV pp (3.536 mV rms)", 48, "Set the Signal Generator", kOk);
  technician.Expect("Connect the Signal Generator through a 50 ohm termination to CH 1.", 65, "Edge Trigger Sensitivity",
                    kCancel);
  Trigger(link, benchParts, technician, testRun);
  EXPECT_TRUE(DisplayLines().empty());
  EXPECT_EQ(Count("MEASU:MEAS1:TYP PK2;SOURCE1 CH1;STATE 1"), 0);
  EXPECT_EQ(state.TestStatus[kTestTrigger], TestOutcome::NotRun);
}

// Exit Test during the CH2 sweeps: the CH1 rows stand, the interrupted one is not shown, the
// status is kept and the stop is reported.
TEST_F(TriggerTest, ExitTestDuringASweepKeepsTheRowsShown) {
  UseAutoBench();
  gpib.SetAnswer(kScopeAddress, "TRIG:STATE?", "READY\n");
  for (int channel = 0; channel < 2; ++channel) Readings({"100E6", "0.5", "100E6", "0.5"});
  ExitTestAfter("TRIG:MAI:EDGE:SOU CH2", 0);
  technician.Expect("Insert a 50 ohm termination in the path to all scope inputs.", 65, "Edge Trigger Sensitivity", kOk);
  technician.Expect("Test Sequence Terminated by Operator.\n\nDisconnect all input signals.", 64, kEndCaption, kOk);
  Trigger(link, benchParts, technician, testRun);
  const std::vector<std::string> rows = Rows();
  ASSERT_EQ(rows.size(), 2u) << display.Text();
  EXPECT_NE(rows[0].find("NOT TRIG'D"), std::string::npos);
  EXPECT_EQ(Count("TRIG:MAI:EDGE:SOU EXT10"), 0);
  EXPECT_EQ(state.TestStatus[kTestTrigger], TestOutcome::NotRun);
}

}  // namespace
}  // namespace veridane::testing
