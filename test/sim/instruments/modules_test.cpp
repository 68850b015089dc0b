// Attenuator, time-mark generator, scanners and the calibrator: the texts the program sends
// change what the instrument does, bad texts change nothing.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/instruments/attenuator.h"
#include "sim/instruments/calibrator.h"
#include "sim/instruments/command_text.h"
#include "sim/instruments/manual_sources.h"
#include "sim/instruments/scanner.h"
#include "sim/instruments/time_mark_generator.h"

namespace veridane::sim {
namespace {

TEST(At5010, RatioAsSentDividesTheSignal) {
  At5010 attenuator;
  attenuator.Receive("ATT   500");
  EXPECT_DOUBLE_EQ(attenuator.Ratio(), 500);
  attenuator.Receive("ATT  2.50");
  EXPECT_DOUBLE_EQ(attenuator.Ratio(), 2.5);
  Signal in;
  in.kind = Signal::Kind::Sine;
  in.vpp = 3;
  in.frequencyHz = 1e6;
  Signal out = attenuator.Pass(in);
  EXPECT_DOUBLE_EQ(out.vpp, 1.2);
  EXPECT_DOUBLE_EQ(out.frequencyHz, 1e6);
  attenuator.Receive("INIT");
  EXPECT_DOUBLE_EQ(attenuator.Ratio(), 1);
  attenuator.Receive("ATT 0.5");
  attenuator.Receive("ATT five");
  EXPECT_DOUBLE_EQ(attenuator.Ratio(), 1);
  EXPECT_EQ(attenuator.CommandErrors(), 2);
  attenuator.Receive("ATT?");
  EXPECT_EQ(attenuator.Respond().value_or(""), "ATT 1\r\n");
}

TEST(Cg5011, MarkerPeriodAsSetAndInitReturnsToDefault) {
  Cg5011 cg;
  cg.Receive("MODE MKRS;U/D 10E-3");
  Signal marks = cg.Output();
  EXPECT_EQ(marks.kind, Signal::Kind::TimeMarks);
  EXPECT_DOUBLE_EQ(marks.markerPeriodS, 0.01);
  EXPECT_GT(marks.markerVolts, 0);
  cg.Receive("U/D 3E-3");  // not a 1-2-5 step
  EXPECT_DOUBLE_EQ(cg.MarkerPeriod(), 0.01);
  EXPECT_EQ(cg.CommandErrors(), 1);
  cg.Receive("MODE EDGE");
  EXPECT_EQ(cg.Output().kind, Signal::Kind::None);
  cg.Receive("INIT");
  EXPECT_EQ(cg.CurrentMode(), Cg5011::Mode::Markers);
  EXPECT_DOUBLE_EQ(cg.MarkerPeriod(), 1e-3);
  EXPECT_TRUE(cg.Remote());
  cg.GoToLocal();
  EXPECT_FALSE(cg.Remote());

  Cg5011 fast("CG 5011", 100);
  fast.Receive("U/D 10E-3");
  EXPECT_NEAR(fast.Output().markerPeriodS, 0.010001, 1e-12);
}

TEST(Scanner, InitOpensAllAndCloseListsTheProgramsCodes) {
  Scanner scanner(*FindScannerModel("SI 5020"));
  scanner.Receive("INIT;CLOSE A1,B3,");
  EXPECT_TRUE(scanner.Closed("A1"));
  EXPECT_TRUE(scanner.Closed("B3"));
  EXPECT_EQ(scanner.ClosedRelays().size(), 2u);
  scanner.Receive("INIT;CLOSE A3,");
  EXPECT_FALSE(scanner.Closed("A1"));
  EXPECT_TRUE(scanner.Closed("A3"));
  scanner.Receive("OPEN A3");
  EXPECT_TRUE(scanner.ClosedRelays().empty());
  scanner.Receive("CLOSE A1,B2");
  scanner.Receive("INIT");
  EXPECT_TRUE(scanner.ClosedRelays().empty());
}

TEST(Scanner, ListWithAnUnknownRelayIsRefusedWhole) {
  Scanner scanner(*FindScannerModel("SI 5020"));
  scanner.Receive("CLOSE A1,C2,");  // C is the program's name for the second scanner's A
  EXPECT_TRUE(scanner.ClosedRelays().empty());
  EXPECT_EQ(scanner.CommandErrors(), 1);
  scanner.Receive("CLOSE");
  EXPECT_EQ(scanner.CommandErrors(), 2);
  scanner.Receive("close a2");
  EXPECT_TRUE(scanner.Closed("A2"));
  scanner.Receive("CLOSE?");
  EXPECT_EQ(scanner.Respond().value_or(""), "CLOSE A2\r\n");
}

TEST(Fluke5100, ProgramTextsSetDcVoltageAndOperate) {
  Fluke5100 calibrator;
  EXPECT_EQ(calibrator.Output().kind, Signal::Kind::None);  // standby at power-on
  struct Case {
    const char* text;
    double volts;
  };
  for (Case c : {Case{".06V+,N", 0.06}, {"-.99V,N", -0.99}, {"-.9V,N", -0.9}, {"-.6V,N", -0.6}, {"8.4V+,N", 8.4},
                 {"98V+,N", 98}, {".3V+CC,N", 0.3}}) {
    calibrator.Receive(c.text);
    Signal out = calibrator.Output();
    EXPECT_EQ(out.kind, Signal::Kind::Dc) << c.text;
    EXPECT_DOUBLE_EQ(out.dcVolts, c.volts) << c.text;
  }
  EXPECT_EQ(calibrator.CommandErrors(), 0);
  calibrator.Receive("CC");
  EXPECT_FALSE(calibrator.Operate());
  EXPECT_EQ(calibrator.Output().kind, Signal::Kind::None);
  EXPECT_DOUBLE_EQ(calibrator.Value(), 0.3);  // standby keeps the entry
}

TEST(Fluke5100, HighVoltageRangeNeedsOperate) {
  Fluke5100 calibrator;
  calibrator.Receive("8.4V+,N");
  calibrator.Receive("98V+");  // into the 200 V range: standby until operate
  EXPECT_FALSE(calibrator.Operate());
  EXPECT_DOUBLE_EQ(calibrator.Value(), 98);
  calibrator.Receive("N");
  EXPECT_TRUE(calibrator.Operate());
  calibrator.Receive("99V+");  // same range: stays operating
  EXPECT_TRUE(calibrator.Operate());
  calibrator.Receive("19V+");
  calibrator.Receive("S");
  calibrator.Receive("15V+");  // down a range, below the hazard level: standby kept as it was
  EXPECT_FALSE(calibrator.Operate());
  EXPECT_EQ(Fluke5100::VoltageRange(-0.99), 2);
  EXPECT_EQ(Fluke5100::VoltageRange(98), 200);
  EXPECT_EQ(Fluke5100::VoltageRange(1000), 1100);
}

TEST(Fluke5100, WireCodesAcAndOtherFunctions) {
  Fluke5100 calibrator;
  calibrator.Receive("1VX1R1+,N");
  EXPECT_TRUE(calibrator.FourWire());
  EXPECT_DOUBLE_EQ(calibrator.Output().dcVolts, 1);
  calibrator.Receive("1V1000H,N");
  Signal ac = calibrator.Output();
  EXPECT_EQ(ac.kind, Signal::Kind::Sine);
  EXPECT_DOUBLE_EQ(ac.frequencyHz, 1000);
  EXPECT_NEAR(ac.vpp, 2 * std::sqrt(2.0), 1e-12);
  calibrator.Receive("100ZX0+,N");
  EXPECT_EQ(calibrator.CurrentFunction(), Fluke5100::Function::Ohms);
  EXPECT_FALSE(calibrator.FourWire());
  EXPECT_DOUBLE_EQ(calibrator.Output().dcVolts, 0);
}

TEST(Fluke5100, RefusedEntriesChangeNothing) {
  Fluke5100 calibrator;
  calibrator.Receive("8.4V+,N");
  for (const char* bad : {"1200V+,N", "-1V1000H,N", "10Z50H,N", "3A+,N", "5,N", "1Q,N", "V,N"}) {
    calibrator.Receive(bad);
    EXPECT_DOUBLE_EQ(calibrator.Value(), 8.4) << bad;
    EXPECT_TRUE(calibrator.Operate()) << bad;
  }
  EXPECT_EQ(calibrator.CommandErrors(), 7);
}

TEST(ManualSources, TechnicianSettingsReachTheOutput) {
  ManualGenerator generator;
  EXPECT_EQ(generator.Output().kind, Signal::Kind::None);
  generator.Set(50e3, 0.012);
  EXPECT_DOUBLE_EQ(generator.Output().vpp, 0.012);
  generator.SetFrequency(1e8);
  EXPECT_DOUBLE_EQ(generator.Output().frequencyHz, 1e8);
  EXPECT_DOUBLE_EQ(generator.Output().vpp, 0.012);

  ManualCalibrator calibrator;
  calibrator.SetVolts(-0.99);
  EXPECT_DOUBLE_EQ(calibrator.Output().dcVolts, -0.99);
  EXPECT_FALSE(calibrator.FiftyOhmSource());
  calibrator.SetStandby();
  EXPECT_EQ(calibrator.Output().kind, Signal::Kind::None);

  ManualTimeMarks marks;
  marks.SetPeriod(0.01);
  EXPECT_DOUBLE_EQ(marks.Output().markerPeriodS, 0.01);
  marks.SetPeriod(0);
  EXPECT_EQ(marks.Output().kind, Signal::Kind::None);
}

TEST(CommandText, NumbersUnitsAndHeaders) {
  std::string_view text = " 5E+07HZ";
  EXPECT_DOUBLE_EQ(TakeNumber(text).value(), 5e7);
  EXPECT_EQ(text, "HZ");
  text = "-.99V";
  EXPECT_DOUBLE_EQ(TakeNumber(text).value(), -0.99);
  text = "5EV";  // an E without exponent digits belongs to what follows
  EXPECT_DOUBLE_EQ(TakeNumber(text).value(), 5);
  EXPECT_EQ(text, "EV");
  text = "V";
  EXPECT_FALSE(TakeNumber(text).has_value());
  EXPECT_EQ(ParseQuantity("10 mV")->unit, "MV");
  EXPECT_FALSE(ParseQuantity("10 m V").has_value());
  EXPECT_EQ(ParseCommand("POW.35V").header, "POW");
  EXPECT_EQ(ParseCommand("POW.35V").args, ".35V");
  EXPECT_EQ(ParseCommand("u/d 10E-3").header, "U/D");
  EXPECT_EQ(SplitCommands(" INIT ;; CLOSE A1, ").size(), 2u);
  EXPECT_TRUE(HeaderIs("FRE", "FREQUENCY", 3));
  EXPECT_FALSE(HeaderIs("FR", "FREQUENCY", 3));
  EXPECT_FALSE(HeaderIs("FREQX", "FREQUENCY", 3));
}

}  // namespace
}  // namespace veridane::sim
