// What arrives at CH1, CH2 and EXT TRIG: through the attenuator and the scanner relays as
// the configuration names them, or through the technician's cables, and doubled into an
// input without its 50 ohm termination.
#include <gtest/gtest.h>

#include "sim/bench/wiring.h"
#include "sim/instruments/calibrator.h"
#include "sim/instruments/levelled_generator.h"
#include "sim/instruments/manual_sources.h"
#include "sim/instruments/time_mark_generator.h"

namespace veridane::sim {
namespace {

class WiringTest : public ::testing::Test {
 protected:
  WiringTest()
      : generator_(MakeGenerator(*FindGeneratorModel("SG 5030"))),
        first_(*FindScannerModel("SI 5020")),
        second_(*FindScannerModel("SI 5020")) {
    wiring_.SetSource("SG", generator_.get());
    wiring_.SetSource("CALIB", &calibrator_);
    wiring_.SetSource("CGTR", &marks_);
    wiring_.SetAttenuator(&attenuator_, true);
    wiring_.SetScanners(&first_, &second_);
    wiring_.SetRelayPaths({{"SG", "A1"}, {"CALIB", "A2"}, {"CGTR", "A3"}, {"CH1", "B1C1"}, {"CH2", "B2C2"},
                           {"AUXTR", "B3D1"}});
    for (ScopeInput input : {ScopeInput::Ch1, ScopeInput::Ch2, ScopeInput::ExtTrig}) wiring_.SetTermination(input, true);
    generator_->Receive("AMPL 3;FRE 50000;OUT ON");
    calibrator_.Receive("-.99V,N");
    marks_.Receive("MODE MKRS;U/D 10E-3");
  }

  // What the program's route sends: first scanner, then second.
  void Route(const char* first, const char* second) {
    first_.Receive(first);
    second_.Receive(second);
  }

  std::unique_ptr<LevelledGenerator> generator_;
  At5010 attenuator_;
  Fluke5100 calibrator_;
  Cg5011 marks_;
  Scanner first_, second_;
  Wiring wiring_;
};

TEST_F(WiringTest, NothingArrivesWhileTheRelaysAreOpen) {
  for (ScopeInput input : {ScopeInput::Ch1, ScopeInput::Ch2, ScopeInput::ExtTrig}) {
    EXPECT_EQ(wiring_.SignalAt(input).kind, Signal::Kind::None);
  }
}

TEST_F(WiringTest, GeneratorReachesEachInputThroughTheAttenuatorAndItsRelays) {
  attenuator_.Receive("ATT   500");
  Route("INIT;CLOSE A1,B1,", "INIT;CLOSE A1,");  // SG,CH1
  Signal ch1 = wiring_.SignalAt(ScopeInput::Ch1);
  EXPECT_EQ(ch1.kind, Signal::Kind::Sine);
  EXPECT_NEAR(ch1.vpp, 3.0 * generator_->Flatness(50e3) / 500, 1e-12);
  EXPECT_DOUBLE_EQ(ch1.frequencyHz, 50e3);
  EXPECT_EQ(wiring_.SignalAt(ScopeInput::Ch2).kind, Signal::Kind::None);

  Route("INIT;CLOSE A1,B2,", "INIT;CLOSE A2,");  // SG,CH2
  EXPECT_EQ(wiring_.SignalAt(ScopeInput::Ch1).kind, Signal::Kind::None);
  EXPECT_NEAR(wiring_.SignalAt(ScopeInput::Ch2).vpp, 3.0 * generator_->Flatness(50e3) / 500, 1e-12);

  attenuator_.Receive("ATT     1");
  Route("INIT;CLOSE A1,B3,", "INIT;CLOSE B1,");  // SG,AUXTR
  EXPECT_NEAR(wiring_.SignalAt(ScopeInput::ExtTrig).vpp, 3.0 * generator_->Flatness(50e3), 1e-12);
}

TEST_F(WiringTest, AnInputNeedsEveryRelayOfItsPath) {
  Route("INIT;CLOSE A1,B1,", "INIT");  // CH1 is B1C1: the second scanner's A1 is missing
  EXPECT_EQ(wiring_.SignalAt(ScopeInput::Ch1).kind, Signal::Kind::None);
  EXPECT_FALSE(wiring_.Joined("CH1"));
  EXPECT_TRUE(wiring_.Joined("SG"));
  EXPECT_FALSE(wiring_.Joined("NOSUCH"));
}

TEST_F(WiringTest, CalibratorAndTimeMarksFollowTheirRoutes) {
  Route("INIT;CLOSE A2,B1,", "INIT;CLOSE A1,");  // CALIB,CH1
  Signal dc = wiring_.SignalAt(ScopeInput::Ch1);
  EXPECT_EQ(dc.kind, Signal::Kind::Dc);
  EXPECT_DOUBLE_EQ(dc.dcVolts, -0.99);  // a voltage source: the termination changes nothing
  calibrator_.Receive("CC");
  EXPECT_EQ(wiring_.SignalAt(ScopeInput::Ch1).kind, Signal::Kind::None);

  Route("INIT;CLOSE A3,B1,", "INIT;CLOSE A1,");  // CGTR,CH1
  Signal marks = wiring_.SignalAt(ScopeInput::Ch1);
  EXPECT_EQ(marks.kind, Signal::Kind::TimeMarks);
  EXPECT_DOUBLE_EQ(marks.markerPeriodS, 0.01);
  EXPECT_DOUBLE_EQ(marks.markerVolts, Cg5011::kMarkerVolts);
}

TEST_F(WiringTest, TwoSourcesOnTheMatrixLineTheFirstWithAnOutputWins) {
  Route("INIT;CLOSE A1,A2,B1,", "INIT;CLOSE A1,");
  EXPECT_EQ(wiring_.SignalAt(ScopeInput::Ch1).kind, Signal::Kind::Sine);
  generator_->Receive("OUT OFF");
  EXPECT_EQ(wiring_.SignalAt(ScopeInput::Ch1).kind, Signal::Kind::Dc);
}

TEST_F(WiringTest, MissingTerminationDoublesAFiftyOhmSource) {
  Route("INIT;CLOSE A1,B1,", "INIT;CLOSE A1,");
  wiring_.SetTermination(ScopeInput::Ch1, false);
  EXPECT_NEAR(wiring_.SignalAt(ScopeInput::Ch1).vpp, 6.0 * generator_->Flatness(50e3), 1e-12);
  Route("INIT;CLOSE A2,B1,", "INIT;CLOSE A1,");
  EXPECT_DOUBLE_EQ(wiring_.SignalAt(ScopeInput::Ch1).dcVolts, -0.99);
}

TEST_F(WiringTest, CableReplacesTheMatrixAtItsInput) {
  Route("INIT;CLOSE A2,B1,", "INIT;CLOSE A1,");  // calibrator routed to CH1
  ASSERT_TRUE(wiring_.ConnectCable("sg", ScopeInput::Ch1, 10));
  Signal ch1 = wiring_.SignalAt(ScopeInput::Ch1);
  EXPECT_EQ(ch1.kind, Signal::Kind::Sine);
  EXPECT_NEAR(ch1.vpp, 0.3 * generator_->Flatness(50e3), 1e-12);

  // Moving the cable: the matrix connection is back on CH1.
  ASSERT_TRUE(wiring_.ConnectCable("CGTR", ScopeInput::Ch2));
  wiring_.DisconnectCable(ScopeInput::Ch1);
  EXPECT_EQ(wiring_.SignalAt(ScopeInput::Ch1).kind, Signal::Kind::Dc);
  EXPECT_EQ(wiring_.SignalAt(ScopeInput::Ch2).kind, Signal::Kind::TimeMarks);
  ASSERT_TRUE(wiring_.CableAt(ScopeInput::Ch2).has_value());
  EXPECT_EQ(wiring_.CableAt(ScopeInput::Ch2)->source, "CGTR");

  attenuator_.Receive("ATT   100");
  ASSERT_TRUE(wiring_.ConnectCable("ATT", ScopeInput::ExtTrig));
  EXPECT_NEAR(wiring_.SignalAt(ScopeInput::ExtTrig).vpp, 0.03 * generator_->Flatness(50e3), 1e-12);

  wiring_.DisconnectAllCables();
  EXPECT_FALSE(wiring_.CableAt(ScopeInput::Ch2).has_value());
  EXPECT_EQ(wiring_.SignalAt(ScopeInput::ExtTrig).kind, Signal::Kind::None);
}

TEST_F(WiringTest, BadCablesAreRefusedAndChangeNothing) {
  ASSERT_TRUE(wiring_.ConnectCable("CALIB", ScopeInput::Ch1));
  EXPECT_FALSE(wiring_.ConnectCable("SCOPE", ScopeInput::Ch1));
  EXPECT_FALSE(wiring_.ConnectCable("SG", ScopeInput::Ch1, 0.5));
  EXPECT_EQ(wiring_.CableAt(ScopeInput::Ch1)->source, "CALIB");
}

TEST(Wiring, WithoutAttenuatorOrScannersOnlyCablesCarrySignals) {
  ManualGenerator generator;
  generator.Set(1e6, 0.5);
  Wiring wiring;
  wiring.SetSource("SG", &generator);
  wiring.SetRelayPaths({{"SG", "A1"}, {"CH1", "B1"}});
  EXPECT_EQ(wiring.SignalAt(ScopeInput::Ch1).kind, Signal::Kind::None);
  ASSERT_TRUE(wiring.ConnectCable("ATT", ScopeInput::Ch1));
  EXPECT_EQ(wiring.SignalAt(ScopeInput::Ch1).kind, Signal::Kind::None);
  ASSERT_TRUE(wiring.ConnectCable("SG", ScopeInput::Ch1));
  EXPECT_DOUBLE_EQ(wiring.SignalAt(ScopeInput::Ch1).vpp, 1.0);  // unterminated
  ASSERT_TRUE(wiring.ConnectCable("CALIB", ScopeInput::Ch2));
  EXPECT_EQ(wiring.SignalAt(ScopeInput::Ch2).kind, Signal::Kind::None);
}

TEST(Wiring, InputNames) {
  EXPECT_EQ(ScopeInputFromName("ch 1"), ScopeInput::Ch1);
  EXPECT_EQ(ScopeInputFromName("CH2"), ScopeInput::Ch2);
  EXPECT_EQ(ScopeInputFromName("EXT TRIG"), ScopeInput::ExtTrig);
  EXPECT_EQ(ScopeInputFromName("auxtr"), ScopeInput::ExtTrig);
  EXPECT_FALSE(ScopeInputFromName("CH3").has_value());
  EXPECT_EQ(ScopeInputName(ScopeInput::ExtTrig), "EXT");
}

}  // namespace
}  // namespace veridane::sim
