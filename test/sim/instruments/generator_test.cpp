// The generator command texts the program sends change frequency, level and output as the
// instrument would, limits refuse a setting without touching the old one, and the output
// carries the model's flatness error, which the written compensation table cancels.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/numbers.h"
#include "sim/instruments/command_text.h"
#include "sim/instruments/compensation.h"
#include "sim/instruments/generator_languages.h"

namespace veridane::sim {
namespace {

std::unique_ptr<LevelledGenerator> Make(const char* name) { return MakeGenerator(*FindGeneratorModel(name)); }

std::string Query(SimDevice& device, const std::string& text) {
  device.Receive(text);
  return device.Respond().value_or("<timeout>");
}

TEST(Sg5030, ProgramTextsSetLevelFrequencyAndOutput) {
  auto sg = Make("SG 5030");
  sg->Receive("AMPL 3;FRE 5E+07;OUT ON");
  EXPECT_DOUBLE_EQ(sg->LevelVpp(), 3);
  EXPECT_DOUBLE_EQ(sg->FrequencyHz(), 5e7);
  EXPECT_TRUE(sg->OutputOn());
  sg->Receive("OUT OFF");
  EXPECT_FALSE(sg->OutputOn());
  EXPECT_EQ(sg->Output().kind, Signal::Kind::None);

  sg->Receive("REFREQ OFF;AMPL .01;FRE 1000");
  EXPECT_DOUBLE_EQ(sg->LevelVpp(), 0.01);
  EXPECT_DOUBLE_EQ(sg->FrequencyHz(), 1000);
  EXPECT_EQ(sg->CommandErrors(), 0);
  EXPECT_EQ(Query(*sg, "AMPL?"), "AMPL .01\r\n");
}

TEST(Sg5030, ReferenceSwitchOverridesTheFrequency) {
  auto sg = Make("SG 5030");
  sg->Receive("FRE 1E8;AMPL 1;OUT ON;REFREQ ON");
  EXPECT_DOUBLE_EQ(sg->Output().frequencyHz, 50e3);
  sg->Receive("REFREQ OFF");
  EXPECT_DOUBLE_EQ(sg->Output().frequencyHz, 1e8);
}

TEST(Sg5030, OutOfRangeLevelIsRefusedAndTheRestOfTheMessageDropped) {
  auto sg = Make("SG 5030");
  sg->Receive("AMPL 2;FRE 1000000");
  sg->Receive("AMPL 6;FRE 2000000;OUT ON");
  EXPECT_DOUBLE_EQ(sg->LevelVpp(), 2);
  EXPECT_DOUBLE_EQ(sg->FrequencyHz(), 1e6);
  EXPECT_FALSE(sg->OutputOn());
  EXPECT_EQ(sg->CommandErrors(), 1);
  sg->Receive("AMPL 5.5");
  EXPECT_DOUBLE_EQ(sg->LevelVpp(), 5.5);
  sg->Receive("FRE 6E+08");
  EXPECT_DOUBLE_EQ(sg->FrequencyHz(), 1e6);
  sg->Receive("BOGUS 1");
  EXPECT_EQ(sg->CommandErrors(), 3);
}

TEST(RsSme, ResetTextsAndLevelsInRmsVolts) {
  auto sme = Make("SME03");
  auto& scpi = static_cast<RsSme&>(*sme);
  sme->Receive("*RST");
  EXPECT_EQ(scpi.Unit(), RsSme::PowerUnit::Dbm);
  EXPECT_FALSE(sme->OutputOn());
  sme->Receive("UNIT:POW V");
  sme->Receive("POW 10 mV;FREQ 1E6");
  EXPECT_NEAR(RmsFromVpp(sme->LevelVpp()), 0.01, 1e-12);
  EXPECT_DOUBLE_EQ(sme->FrequencyHz(), 1e6);

  // SetSG's text: RMS level with its unit glued on, frequency in plain numeric text.
  sme->Receive("POW .3535534V;FREQ 5E+07;OUTP ON");
  EXPECT_NEAR(sme->LevelVpp(), 1.0, 1e-6);
  EXPECT_DOUBLE_EQ(sme->FrequencyHz(), 5e7);
  EXPECT_TRUE(sme->OutputOn());
  sme->Receive("OUTP OFF");
  EXPECT_FALSE(sme->OutputOn());
  EXPECT_EQ(Query(*sme, "SYST:ERR?"), "0,\"No error\"\n");
}

TEST(RsSme, DbmAfterResetAndErrorsQueued) {
  auto sme = Make("SME02");
  sme->Receive("*RST");
  sme->Receive("POW 0");  // 0 dBm = 0.2236 V rms
  EXPECT_NEAR(RmsFromVpp(sme->LevelVpp()), 0.22360680, 1e-6);
  sme->Receive(":SOUR:POW:LEV -20 DBM");
  EXPECT_NEAR(RmsFromVpp(sme->LevelVpp()), 0.022360680, 1e-7);

  sme->Receive("UNIT:POW V;POW 1.5");  // +16.5 dBm: above the overrange
  EXPECT_NEAR(RmsFromVpp(sme->LevelVpp()), 0.022360680, 1e-7);
  sme->Receive("FREQ 4 GHZ");  // beyond an SME02
  EXPECT_EQ(Query(*sme, "SYST:ERR?"), "-222,\"Data out of range\"\n");
  EXPECT_EQ(Query(*sme, "SYST:ERR?"), "-222,\"Data out of range\"\n");
  EXPECT_EQ(Query(*sme, "SYST:ERR?"), "0,\"No error\"\n");
  EXPECT_EQ(Query(*sme, "FREQ?"), "1E+08\n");
  EXPECT_EQ(Query(*Make("SME06"), "*OPC?"), "1\n");
}

TEST(Fluke606x, CodesSetLevelFrequencyOutputAndClear) {
  auto fluke = Make("Fluke 6061");
  fluke->Receive("AP .3535534V;FR 5E+07HZ;RO1");
  EXPECT_NEAR(fluke->LevelVpp(), 1.0, 1e-6);
  EXPECT_DOUBLE_EQ(fluke->FrequencyHz(), 5e7);
  EXPECT_TRUE(fluke->OutputOn());
  fluke->Receive("RO0");
  EXPECT_FALSE(fluke->OutputOn());
  fluke->Receive("RO1");
  fluke->Receive("CL");
  EXPECT_FALSE(fluke->OutputOn());
  fluke->Receive("AP10MV;FR1MZ;RO0");
  EXPECT_NEAR(RmsFromVpp(fluke->LevelVpp()), 0.01, 1e-12);
  EXPECT_DOUBLE_EQ(fluke->FrequencyHz(), 1e6);
  EXPECT_EQ(fluke->CommandErrors(), 0);
}

TEST(Fluke606x, LevelAboveOneVoltRmsIsRefused) {
  auto fluke = Make("Fluke 6060");
  fluke->Receive("AP1V");
  EXPECT_NEAR(RmsFromVpp(fluke->LevelVpp()), 1.0, 1e-9);
  fluke->Receive("AP1.01V;RO1");
  EXPECT_NEAR(RmsFromVpp(fluke->LevelVpp()), 1.0, 1e-9);
  EXPECT_FALSE(fluke->OutputOn());
  EXPECT_EQ(fluke->CommandErrors(), 1);
  fluke->Receive("AP 5 XX");
  EXPECT_EQ(fluke->CommandErrors(), 2);
}

TEST(Flatness, OutputLevelDependsOnFrequencyAndTheTableCancelsIt) {
  for (const GeneratorModel& model : GeneratorModels()) {
    auto generator = MakeGenerator(model);
    std::vector<CompensationPair> table = CompensationTable(*generator);
    ASSERT_EQ(static_cast<int>(table.size()), model.code == 5030 ? 12 : 22) << model.name;
    double nominal = model.code == 5030 ? 3.0 : 2.4;
    for (int entry = 0; entry < static_cast<int>(table.size()); ++entry) {
      // The tables stay inside every generator's own limits.
      ASSERT_TRUE(generator->SetLevelVpp(table[entry].row0)) << model.name << " entry " << entry;
      ASSERT_TRUE(generator->SetFrequency(CompensationFrequencyHz(entry))) << model.name << " entry " << entry;
      generator->SetOutput(true);
      EXPECT_NEAR(generator->Output().vpp, nominal, 1e-9) << model.name << " entry " << entry;
    }
    // Uncorrected, the level at the top of the table is visibly off.
    generator->SetLevelVpp(nominal);
    EXPECT_GT(std::fabs(generator->Output().vpp - nominal), 0.01 * nominal) << model.name;
  }
}

TEST(Flatness, CompensationFileHoldsThePairsTheProgramReads) {
  auto sg = Make("SG 5030");
  std::string text = CompensationFileText(*sg);
  std::vector<std::string> lines = SplitCommands(text, '\n');
  ASSERT_EQ(lines.size(), 12u);
  std::vector<CompensationPair> table = CompensationTable(*sg);
  for (size_t i = 0; i < lines.size(); ++i) {
    size_t comma = lines[i].find(',');
    ASSERT_NE(comma, std::string::npos);
    EXPECT_NEAR(NumericValue(lines[i].substr(0, comma)), table[i].row0, 1e-6);
    EXPECT_NEAR(NumericValue(lines[i].substr(comma + 1)), table[i].row1, 1e-6);
    EXPECT_NEAR(table[i].row1 / table[i].row0, 5.0 / 3.0, 1e-9);
  }
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  EXPECT_EQ(SplitCommands(CompensationFileText(*Make("SME03")), '\n').size(), 22u);
  EXPECT_EQ(SplitCommands(CompensationFileText(*Make("SME03"), 21), '\n').size(), 21u);
  EXPECT_EQ(GeneratorFileStem(*Make("SME03")), "R&S SME03");
  EXPECT_EQ(GeneratorFileStem(*Make("Fluke 6061")), "Fluke 6061B");
  EXPECT_EQ(GeneratorFileStem(*sg), "SG 5030");
}

}  // namespace
}  // namespace veridane::sim
