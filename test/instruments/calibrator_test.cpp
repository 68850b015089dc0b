// The DC calibrator: command texts, argument checks and the prompts without a calibrator.
#include "instruments/calibrator.h"
#include "test/support/driver_bench.h"

namespace veridane::testing {
namespace {

constexpr int kCal = 5;

class CalibratorTest : public DriverBench {
 protected:
  Calibrator& cal() {
    if (!cal_) cal_ = std::make_unique<Calibrator>(bus, op, roles, autoMode);
    return *cal_;
  }
  void Present() {
    roles.CalibratorDevice = Device(kCal);
    roles.CalibratorModel = 5100;
    roles.CalibratorName = "Fluke 5100A/B";
  }
  std::string Sent(float value, const char* function, float frequency) {
    ClearTraffic();
    cal().SetCalibrator(value, function, frequency);
    auto traffic = Traffic();
    return traffic.size() == 1 ? traffic[0] : "(" + std::to_string(traffic.size()) + " writes)";
  }
  std::unique_ptr<Calibrator> cal_;
};

TEST_F(CalibratorTest, CommandTexts) {
  Present();
  EXPECT_EQ(Sent(0.06f, "V", 0), "5:.06V+,N");
  EXPECT_EQ(Sent(-0.99f, "V", 0), "5:-.99V,N");
  EXPECT_EQ(Sent(8.4f, "V", 0), "5:8.4V+,N");
  EXPECT_EQ(Sent(98, "V", 0), "5:98V+,N");
  EXPECT_EQ(Sent(0.3f, "V", 0), "5:.3V+,N");
  EXPECT_EQ(Sent(0.3f, " *V ", 0), "5:.3V+CC,N");
  EXPECT_EQ(Sent(1, "4V", 0), "5:1VX1R1+,N");
  EXPECT_EQ(Sent(1, "2V", 0), "5:1VX0R0+,N");
  EXPECT_EQ(Sent(100, "4R", 0), "5:100ZX1+,N");
  EXPECT_EQ(Sent(100, "2R", 0), "5:100ZX0+,N");
  EXPECT_EQ(Sent(1, "V", 1000), "5:1V1000H,N");
  EXPECT_EQ(Sent(0.5f, "A", 0), "5:.5A+,N");
  EXPECT_EQ(Sent(0, "v", 0), "5:0V+,N");
}

TEST_F(CalibratorTest, EachSettingWaitsASecondAndReturnsToLocal) {
  Present();
  double before = clock.Now();
  cal().SetCalibrator(1, "V", 0);
  EXPECT_GE(clock.Now() - before, 1.0);
  EXPECT_EQ(LocalCalls(), (std::vector<int>{kCal}));
}

TEST_F(CalibratorTest, ImpossibleCombinationsEndTheProgram) {
  Present();
  op.Expect("-1, V, 1000\n\nCorrect problem and restart.", 16, "SetCalibrator Parameter mismatch", kOk);
  EXPECT_THROW(cal().SetCalibrator(-1, "V", 1000), ProgramEnded);
  op.Expect(" 10, R, 50\n\nCorrect problem and restart.", 16, "SetCalibrator Parameter mismatch", kOk);
  EXPECT_THROW(cal().SetCalibrator(10, "R", 50), ProgramEnded);
  op.Expect("-10, R, 0\n\nCorrect problem and restart.", 16, "SetCalibrator Parameter mismatch", kOk);
  EXPECT_THROW(cal().SetCalibrator(-10, "4R", 0), ProgramEnded);
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(CalibratorTest, UnknownFunctionEndsTheProgram) {
  Present();
  op.Expect("Function: X\n\nCorrect problem and restart.", 16, "SetCalibrator Unknown Function", kOk);
  EXPECT_THROW(cal().SetCalibrator(1, "X", 0), ProgramEnded);
  op.Expect("Function: \n\nCorrect problem and restart.", 16, "SetCalibrator Unknown Function", kOk);
  EXPECT_THROW(cal().SetCalibrator(1, "  ", 0), ProgramEnded);
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(CalibratorTest, WithoutCalibratorTheTechnicianSetsTheSource) {
  op.Expect("60 mV, DC", 49, "Set the Calibrator", kOk);
  EXPECT_EQ(cal().SetCalibrator(0.06f, "V", 0), Setting::Made);
  op.Expect("-990 mV, DC", 49, "Set the Calibrator", kCancel);
  EXPECT_EQ(cal().SetCalibrator(-0.99f, "V", 0), Setting::Cancelled);
  op.Expect("1  V, 1.0 kHz", 48, "Set the Calibrator", kCancel);
  EXPECT_EQ(cal().SetCalibrator(1, "v", 1000), Setting::Cancelled);
  op.Expect("100  Ohm", 49, "Set the Calibrator", kOk);
  EXPECT_EQ(cal().SetCalibrator(100, "4R", 0), Setting::Made);
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(CalibratorTest, ResetIsStandbyOrAnOkOnlyPromptForZero) {
  op.Expect("0  V, DC", 48, "Set the Calibrator", kOk);
  cal().CalibratorReset();
  EXPECT_TRUE(Traffic().empty());

  Present();
  double before = clock.Now();
  cal().CalibratorReset();
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"5:CC"}));
  EXPECT_EQ(LocalCalls(), (std::vector<int>{kCal}));
  EXPECT_EQ(clock.Now(), before);  // manual mode: no settling wait
  autoMode = Automation::WithoutCompensation;
  cal().CalibratorReset();
  EXPECT_GE(clock.Now() - before, 1.0);
}

}  // namespace
}  // namespace veridane::testing
