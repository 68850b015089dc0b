// How the technician reads numbers, settings, knob instructions and cabling out of the
// program's prompt texts.
#include <gtest/gtest.h>

#include "sim/technician/prompt_reading.h"

namespace veridane::sim {
namespace {

TEST(ReadQuantity, EngineeringPrefixesAndUnits) {
  struct Case {
    const char* text;
    double value;
    const char* unit;
  };
  const Case cases[] = {
      {"-990 mV, DC", -0.99, "V"},   {" 50.0 MHz", 50e6, "Hz"},      {"  600.0 mV pp", 0.6, "V"},
      {"212.1 mV rms", 0.2121, "V"}, {"1.50  V P-P.", 1.5, "V"},     {"10 ms.", 0.01, "s"},
      {"500 \xB5V", 500e-6, "V"},    {"8.4  V, DC", 8.4, "V"},       {"2.5 GHz", 2.5e9, "Hz"},
      {"120 ns", 120e-9, "s"},       {"3 pF", 3e-12, "F"},           {"1.00 kOhm", 1000, "Ohm"},
      {" 5E+07 Hz", 5e7, "Hz"},      {"0  V, DC", 0, "V"},           {"-.5 V", -0.5, "V"},
  };
  for (const Case& c : cases) {
    std::optional<Quantity> q = ReadQuantity(c.text);
    ASSERT_TRUE(q) << c.text;
    EXPECT_NEAR(q->value, c.value, std::abs(c.value) * 1e-9 + 1e-15) << c.text;
    EXPECT_EQ(q->unit, c.unit) << c.text;
  }
}

TEST(ReadQuantity, StopsWhereTheQuantityEnds) {
  size_t used = 0;
  std::optional<Quantity> q = ReadQuantity("  600.0 mV pp (212.1 mV rms)", &used);
  ASSERT_TRUE(q);
  EXPECT_EQ(std::string("  600.0 mV pp (212.1 mV rms)").substr(used), " pp (212.1 mV rms)");
  // A lone "m" after a number is a unit, not a prefix without one.
  q = ReadQuantity("5 m");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->value, 5);
  EXPECT_EQ(q->unit, "m");
  EXPECT_FALSE(ReadQuantity("Frequency"));
  EXPECT_FALSE(ReadQuantity(""));
  EXPECT_FALSE(ReadQuantity("-. V"));
}

TEST(ReadGeneratorSetting, SetSGForms) {
  std::optional<GeneratorSetting> s = ReadGeneratorSetting("Frequency:  50.0 kHz\nAmplitude:   12.00 mV pp (4.243 mV rms)");
  ASSERT_TRUE(s);
  EXPECT_DOUBLE_EQ(*s->frequencyHz, 50e3);
  EXPECT_DOUBLE_EQ(*s->vpp, 0.012);
  EXPECT_FALSE(s->asSeenOnScope);

  s = ReadGeneratorSetting("Frequency:  100.0 MHz\nDon't Change the Amplitude.");
  ASSERT_TRUE(s);
  EXPECT_DOUBLE_EQ(*s->frequencyHz, 100e6);
  EXPECT_FALSE(s->vpp);

  s = ReadGeneratorSetting("Dont Change the Frequency.\nAmplitude:  1.500  V pp (530.3 mV rms)");
  ASSERT_TRUE(s);
  EXPECT_FALSE(s->frequencyHz);
  EXPECT_DOUBLE_EQ(*s->vpp, 1.5);
}

TEST(ReadGeneratorSetting, SetSGOnScopeForm) {
  std::optional<GeneratorSetting> s =
      ReadGeneratorSetting("Frequency:  100.0 MHz\nAmplitude:   500.0 mV pp as seen on the scope.");
  ASSERT_TRUE(s);
  EXPECT_DOUBLE_EQ(*s->frequencyHz, 100e6);
  EXPECT_DOUBLE_EQ(*s->vpp, 0.5);
  EXPECT_TRUE(s->asSeenOnScope);
  s = ReadGeneratorSetting("Don't change the Frequency.\nAmplitude:   1.500  V pp as seen on the scope.");
  ASSERT_TRUE(s);
  EXPECT_FALSE(s->frequencyHz);
}

TEST(ReadGeneratorSetting, RejectsWhatIsNotASetting) {
  // RMS value that does not belong to the peak-to-peak one: something is wrong with the text.
  EXPECT_FALSE(ReadGeneratorSetting("Frequency:  50.0 kHz\nAmplitude:  12.00 mV pp (12.00 mV rms)"));
  EXPECT_FALSE(ReadGeneratorSetting("Frequency:  50.0 kV\nAmplitude:  12.00 mV pp (4.243 mV rms)"));
  EXPECT_FALSE(ReadGeneratorSetting("Frequency:  50.0 kHz"));
  EXPECT_FALSE(ReadGeneratorSetting("Frequency:  50.0 kHz now\nDon't Change the Amplitude."));
  EXPECT_FALSE(ReadGeneratorSetting("Frequency: fifty\nDon't Change the Amplitude."));
  EXPECT_FALSE(ReadGeneratorSetting("-990 mV, DC"));
}

TEST(ReadCalibratorSetting, DcAcAndOhms) {
  std::optional<CalibratorSetting> s = ReadCalibratorSetting("-990 mV, DC");
  ASSERT_TRUE(s);
  EXPECT_DOUBLE_EQ(s->output.value, -0.99);
  EXPECT_EQ(s->output.unit, "V");
  EXPECT_EQ(s->frequencyHz, 0);

  s = ReadCalibratorSetting("98  V, DC");
  ASSERT_TRUE(s);
  EXPECT_DOUBLE_EQ(s->output.value, 98);

  s = ReadCalibratorSetting("1  V, 1.0 kHz");
  ASSERT_TRUE(s);
  EXPECT_DOUBLE_EQ(s->frequencyHz, 1000);

  s = ReadCalibratorSetting("100  Ohm");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->output.unit, "Ohm");

  EXPECT_FALSE(ReadCalibratorSetting("-990 mV"));
  EXPECT_FALSE(ReadCalibratorSetting("-990 mV, DC\nmore"));
  EXPECT_FALSE(ReadCalibratorSetting("10 ms, DC"));
}

TEST(ReadKnobInstruction, FrequencyAndAmplitudeWithAndWithoutTryAgain) {
  std::optional<KnobInstruction> k =
      ReadKnobInstruction("The frequency is out of limit!\nIncrease the signal frequency to 100 Hz.\n\nTry again ?");
  ASSERT_TRUE(k);
  EXPECT_EQ(k->quantity, KnobInstruction::Quantity::Frequency);
  EXPECT_TRUE(k->increase);
  EXPECT_EQ(k->subject, "signal");
  EXPECT_DOUBLE_EQ(k->target, 100);
  EXPECT_TRUE(k->tryAgain);

  k = ReadKnobInstruction("The amplitude is out of limit!\nDecrease the SG 5030 output amplitude to  600 mV P-P.");
  ASSERT_TRUE(k);
  EXPECT_EQ(k->quantity, KnobInstruction::Quantity::Amplitude);
  EXPECT_FALSE(k->increase);
  EXPECT_EQ(k->subject, "SG 5030 output");
  EXPECT_DOUBLE_EQ(k->target, 0.6);
  EXPECT_FALSE(k->tryAgain);

  k = ReadKnobInstruction("The frequency is out of limit!\nDecrease the Signal Generator output frequency to 50.0 MHz.");
  ASSERT_TRUE(k);
  EXPECT_DOUBLE_EQ(k->target, 50e6);

  EXPECT_FALSE(ReadKnobInstruction("The frequency is out of limit!\nIncrease the signal amplitude to 1.00  V P-P."));
  EXPECT_FALSE(ReadKnobInstruction("The frequency is out of limit!\nTurn the signal frequency to 100 Hz."));
  EXPECT_FALSE(ReadKnobInstruction("The frequency is out of limit!\nIncrease the signal frequency to 100 Hz.\nTry again ?"));
}

TEST(ReadCablingInstruction, ConnectFormsOfTheTests) {
  struct Case {
    const char* text;
    const char* source;
    bool terminated;
  };
  const Case cases[] = {
      {"Connect the Calibrator to CH 1.", "CALIB", false},
      {"Connect the Fluke 5100A/B to CH 1.", "CALIB", false},
      {"Connect the Signal Generator to CH 1 trough a 50 ohm termination.", "SG", true},
      {"Connect the R&S SME03 through a 50 ohm termination to CH 1.", "SG", true},
      {"Connect the a Time Mark Generator to CH 1 through a 50 ohm termination.\r\nSet it to 10 ms.", "CGTR", true},
  };
  for (const Case& k : cases) {
    std::optional<CablingInstruction> c = ReadCablingInstruction(k.text);
    ASSERT_TRUE(c) << k.text;
    EXPECT_EQ(c->kind, CablingInstruction::Kind::Connect) << k.text;
    EXPECT_EQ(c->source, k.source) << k.text;
    EXPECT_EQ(c->input, ScopeInput::Ch1) << k.text;
    EXPECT_EQ(c->terminated, k.terminated) << k.text;
    EXPECT_EQ(c->markerPeriodS.has_value(), std::string(k.source) == "CGTR") << k.text;
  }
  EXPECT_DOUBLE_EQ(*ReadCablingInstruction(cases[4].text)->markerPeriodS, 0.01);

  EXPECT_FALSE(ReadCablingInstruction("Connect the coffee machine to CH 1."));
  EXPECT_FALSE(ReadCablingInstruction("Connect the Calibrator to CH 3."));
  EXPECT_FALSE(ReadCablingInstruction("Connect the Calibrator to CH 1.\nSet it to 10 ms."));
}

TEST(ReadCablingInstruction, MovesTerminationsAndSystemCables) {
  using Kind = CablingInstruction::Kind;
  std::optional<CablingInstruction> c = ReadCablingInstruction("Move the signal to CH 2.");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->kind, Kind::Move);
  EXPECT_EQ(c->input, ScopeInput::Ch2);
  EXPECT_FALSE(c->terminated);

  c = ReadCablingInstruction("Move the signal (including the 50 ohm termination) to EXT TRIG.");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->input, ScopeInput::ExtTrig);
  EXPECT_TRUE(c->terminated);

  EXPECT_EQ(ReadCablingInstruction("Disconnect all input signals.")->kind, Kind::DisconnectAll);
  EXPECT_EQ(ReadCablingInstruction("Remove all input signals.")->kind, Kind::DisconnectAll);
  EXPECT_EQ(ReadCablingInstruction("Insert a 50 ohm termination in the path to all scope inputs (including EXT TRIG).")
                ->kind,
            Kind::TerminateAll);
  EXPECT_EQ(ReadCablingInstruction("Insert a 50 ohm termination in the path to all scope inputs.")->kind,
            Kind::TerminateAll);
  c = ReadCablingInstruction("Insert a 50 ohm termination in the path to CH1 input.");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->kind, Kind::TerminateInput);
  EXPECT_EQ(ReadCablingInstruction("If present remove any a 50 ohm termination(s) at the inputs.")->kind,
            Kind::RemoveTerminations);
  EXPECT_EQ(ReadCablingInstruction("Connect the System Channel cables (1 & 2) to CH 1 and CH 2.\n"
                                   "Connect the System EXT TRIG (cable #2) to EXT TRIG.\nDon't use any terminations.")
                ->kind,
            Kind::SystemCables);
  EXPECT_FALSE(ReadCablingInstruction("Move the signal to CH 2"));
  EXPECT_FALSE(ReadCablingInstruction("Disconnect all input signals. Now."));
}

TEST(SourceForInstrumentName, CalibratorsBeforeGenerators) {
  EXPECT_EQ(SourceForInstrumentName("Fluke 5100A/B"), "CALIB");
  EXPECT_EQ(SourceForInstrumentName("Calibrator"), "CALIB");
  EXPECT_EQ(SourceForInstrumentName("Fluke 6061"), "SG");
  EXPECT_EQ(SourceForInstrumentName("SG 5030"), "SG");
  EXPECT_EQ(SourceForInstrumentName("R&S SME02"), "SG");
  EXPECT_EQ(SourceForInstrumentName("Time Mark Generator"), "CGTR");
  EXPECT_EQ(SourceForInstrumentName("Multimeter"), "");
}

}  // namespace
}  // namespace veridane::sim
