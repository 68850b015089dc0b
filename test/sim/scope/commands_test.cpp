#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "test/support/scope_fixture.h"

namespace veridane::sim {
namespace {

using testing::ScopeBench;

TEST(ScopeCommands, ShortAndLongFormsSetTheSameThing) {
  ScopeBench bench;
  bench.Write("HEAD 0");
  bench.Write("MEASUREMENT:IMMED:TYPE PK2PK");
  EXPECT_EQ(bench.Ask("MEASU:IMM:TYP?"), "PK2PK");
  bench.Write("measu:imm:typ freq");
  EXPECT_EQ(bench.Ask("MEASUREMENT:IMMED:TYPE?"), "FREQUENCY");
  bench.Write("ACQ:MOD SAMP");
  EXPECT_EQ(bench.Ask("ACQUIRE:MODE?"), "SAMPLE");
  bench.Write("HORIZONTAL:MAIN:SECDIV 2.5E-3");
  EXPECT_DOUBLE_EQ(bench.Number("HOR:MAI:SCA?"), 2.5e-3);
}

TEST(ScopeCommands, ChainedHeadersContinueThePreviousPath) {
  ScopeBench bench;
  bench.Write("HEAD 0");
  bench.Write("CH1:SCA .005;OFFS -1;POS  0");
  EXPECT_DOUBLE_EQ(bench.Number("CH1:SCA?"), 0.005);
  EXPECT_DOUBLE_EQ(bench.Number("CH1:OFFS?"), -1);
  bench.Write("ACQ:MODE AVE;NUMAV 4");
  EXPECT_EQ(bench.Ask("ACQ:MODE?;NUMAV?"), "AVERAGE;4");
  bench.Write("SEL:CH1 OFF;CH2 ON");
  EXPECT_EQ(bench.Ask("SEL:CH1?;CH2?;CONTROL?"), "0;1;CH2");
  bench.Write("CURS:FUNC PAI;VBA:POSITION1 0;POSITION2 0.4E-6;SELECT CURSOR2");
  EXPECT_EQ(bench.Ask("CURS:FUNC?"), "PAIRED");
  EXPECT_DOUBLE_EQ(bench.Number("CURS:VBA:POSITION2?"), 0.4e-6);
  EXPECT_EQ(bench.Ask("CURS:VBA:SEL?"), "CURSOR2");
  bench.Write("HOR:MOD DELAYE;DEL:SCA 5E-7");
  EXPECT_EQ(bench.Ask("HOR:MOD?"), "DELAYED");
  EXPECT_DOUBLE_EQ(bench.Number("HOR:DEL:SCA?"), 5e-7);
  EXPECT_DOUBLE_EQ(bench.Number("HOR:MAI:SCA?"), 500e-6);  // untouched

  // A leading colon goes back to the root; a common command keeps the path.
  bench.Write("CH2:SCA 1;:CH1:SCA 2;*CLS;POS 3");
  EXPECT_DOUBLE_EQ(bench.Number("CH1:SCA?"), 2);
  EXPECT_DOUBLE_EQ(bench.Number("CH1:POS?"), 3);
  EXPECT_DOUBLE_EQ(bench.Number("CH2:POS?"), 0);
}

TEST(ScopeCommands, RepliesWithHeadersReadBackAsCommands) {
  ScopeBench bench;
  EXPECT_EQ(bench.Ask("*ESR?"), "128");  // power on
  bench.Write("MEASU:MEAS1:TYP MEAN;SOURCE1 CH2;STATE ON");
  bench.Write("ACQ:MODE AVE;NUMAV 64;STATE OFF");
  bench.Write("MEASU:METH MINM");
  bench.Write("HEAD ON");
  std::string meas1 = bench.Ask("MEASU:MEAS1?");
  EXPECT_EQ(meas1, ":MEASUREMENT:MEAS1:TYPE MEAN;UNITS \"V\";SOURCE1 CH2;STATE 1");
  std::string acquire = bench.Ask("ACQ?");
  EXPECT_EQ(acquire, ":ACQUIRE:STOPAFTER RUNSTOP;STATE 0;MODE AVERAGE;NUMENV 10;NUMAVG 64");
  std::string method = bench.Ask("MEASU:METH?");
  EXPECT_EQ(method, ":MEASUREMENT:METHOD MINMAX");

  // The program drops the units element before sending a saved reply back.
  std::string restore = meas1;
  size_t units = restore.find(";UNI");
  restore.erase(units, restore.find(';', units + 1) - units);

  bench.Write("HEAD OFF");
  bench.Write("*RST");
  EXPECT_EQ(bench.Ask("MEASU:MEAS1?"), "PERIOD;\"s\";CH1;0");
  bench.Write(restore);
  bench.Write(acquire);
  bench.Write(method);
  EXPECT_EQ(bench.Ask("MEASU:MEAS1?"), "MEAN;\"V\";CH2;1");
  EXPECT_EQ(bench.Ask("ACQ?"), "RUNSTOP;0;AVERAGE;10;64");
  EXPECT_EQ(bench.Ask("MEASU:METH?"), "MINMAX");
  EXPECT_EQ(bench.Ask("*ESR?"), "0");  // nothing was refused
}

TEST(ScopeCommands, VerboseOffGivesShortFormsThatAlsoReadBack) {
  ScopeBench bench;
  bench.Write("VERB OFF;:MEASU:IMM:TYP PK2;SOU CH2");
  std::string reply = bench.Ask("MEASU:IMM?");
  EXPECT_EQ(reply, ":MEASU:IMM:TYP PK2;UNI \"V\";SOU1 CH2");
  bench.Write("*RST");
  bench.Write(":MEASU:IMM:TYP PK2;SOU1 CH2");
  EXPECT_EQ(bench.Ask("MEASU:IMM:SOU?"), ":MEASU:IMM:SOU1 CH2");
}

TEST(ScopeCommands, SetQueryRestoresTheWholeSetup) {
  ScopeBench bench;
  bench.Write("CH2:SCA .02;POS -2;:SEL:CH2 ON;:TRIG:MAI:EDGE:SOU EXT10;:MEASU:MEAS3:TYP HIGH");
  std::string setup = bench.Ask("SET?");
  bench.Write("FAC;*CLS");
  bench.Write(setup);
  EXPECT_EQ(bench.Ask("*ESR?"), "0");
  bench.Write("HEAD 0");
  EXPECT_DOUBLE_EQ(bench.Number("CH2:SCA?"), 0.02);
  EXPECT_DOUBLE_EQ(bench.Number("CH2:POS?"), -2);
  EXPECT_EQ(bench.Ask("SEL?"), "1;1;0;0;0;CH2");
  EXPECT_EQ(bench.Ask("TRIG:MAI:EDGE:SOU?"), "EXT10");
  EXPECT_EQ(bench.Ask("MEASU:MEAS3:TYP?"), "HIGH");
}

TEST(ScopeCommands, SelectReplyEndsWithTheSelectedChannel) {
  ScopeBench bench;
  bench.Write("HEAD 0");
  std::string reply = bench.Ask("SEL?");
  EXPECT_EQ(reply.substr(reply.size() - 3), "CH1");
  bench.Write("SEL:CH2 ON");
  reply = bench.Ask("SEL?");
  EXPECT_EQ(reply.substr(reply.size() - 3), "CH2");
  bench.Write("SEL:CH2 OFF");
  reply = bench.Ask("SEL?");
  EXPECT_EQ(reply.substr(reply.size() - 3), "CH1");
}

TEST(ScopeCommands, ValuesAreKeptInsideTheInstrumentsRanges) {
  ScopeBench bench;
  bench.Write("HEAD 0;*CLS");
  bench.Write("CH1:SCA .0021");
  EXPECT_DOUBLE_EQ(bench.Number("CH1:SCA?"), 0.002);
  bench.Write("CH1:SCA .005;OFFS -5");  // more than the 1 V the fine scales allow
  EXPECT_DOUBLE_EQ(bench.Number("CH1:OFFS?"), -1);
  EXPECT_EQ(bench.Number("*ESR?"), 0x10);
  bench.Write("CH1:SCA 1;OFFS 100;POS  5");
  EXPECT_DOUBLE_EQ(bench.Number("CH1:OFFS?"), 100);
  bench.Write("HOR:MAI:SCA 2.5E-9");  // faster than a TDS 340 goes
  EXPECT_DOUBLE_EQ(bench.Number("HOR:MAI:SCA?"), 5e-9);

  ScopeBench fast(HealthyScopeConfig("TDS 380"));
  fast.Write("HEAD 0;HOR:MAI:SEC 2.5E-9");
  EXPECT_DOUBLE_EQ(fast.Number("HOR:MAI:SCA?"), 2.5e-9);
}

TEST(ScopeCommands, EveryCommandTheProgramSendsIsUnderstood) {
  ScopeBench bench(HealthyScopeConfig("TDS 380"));  // the one model that takes 2.5 ns/div
  bench.Apply(ScopeInput::Ch1, ScopeBench::Sine(0.5, 1e6));
  const char* commands[] = {
      "FAC", "DESE 65", "*ESE 65", "*SRE 32", "HEAD 0", "CH1:COUP GND", "*RST", "*CLS", "CLEARM", "HEAD ON",
      "HEAD OFF", "MEASU:IMM:TYP FREQ;SOU CH1", "MEASU:METH MINM", "TRIG:MAI SETL", "ACQ:MODE AVE;NUMAV 16",
      "MEASU:IMM:TYP PK2", "ACQ:MODE SAM", "MEASU:IMM:TYP FREQ", "MEASU:MEAS1:TYPE FREQ;SOU CH1;STATE ON",
      "MEASU:MEAS2:STATE OFF", "ACQ:MODE AVE;NUMAV 2", "MEASU:IMM:TYP PK2PK", "MEASU:Meas1:TYPE PK2;SOU CH1;STATE ON",
      "ACQ:MODE AVE;NUMAV 4", "DIS:GRA FRA", "MEASU:MEAS1:TYP MEAN;STATE ON", "ACQ:MOD AVE", "CH1:SCA .002",
      "SEL:CH2 ON", "MEASU:MEAS1:SOU CH2;STATE ON", "CH2:SCA 10", "SEL:CH1 OFF", "HOR:MAI:SCA 50E-6",
      "TRIG:MAI:EDGE:COUP HFR", "CH1:BAN TWE", "CH1:SCA .005;OFFS -1;POS  0", "CH1:SCA .01;OFFS  0;POS -5",
      "CH1:SCA 1;OFFS  100;POS  5", "TRIG FORCE", "HOR:TRIG:POS 30", "TRIG:MAI:EDGE:COUP NOISE",
      "MEASU:MEAS1:TYP PK2;STATE ON", "TRIG:MAI:EDGE:SOU CH2;COUP NOISE", "TRIG:MAI:LEV 0", "CH1:SCA 1",
      "HOR:MAI:SCA 10E-6", "ACQ:MOD AVE;NUMAV 16", "ACQ:MOD SAM", "HOR:MAI:SEC 2.5E-9", "TRIG:MAI:EDGE:COUP DC",
      "ACQ:MOD SAMP", "CH1:SCA .2;POS -2.5", "CH1:SCA .5;POS -1.5", "HOR:MAI:SCA 2.5E-3", "TRIG:MAI:LEV .5",
      "HOR:MAI:SCA 1E-3", "HOR:TRIG:POS 25", "HOR:POS 25",
      "CURS:FUNC PAI;VBA:POSITION1 0;POSITION2 0;SELECT CURSOR2", "HOR:MOD DELAYE;DEL:SCA 5E-7",
      "HOR:DEL:TIM 1E-2", "ACQ:STATE OFF", "CURS:VBA:POSITION2 -2.0E-6", "CURS:VBA:POSITION2  0.4E-6",
      "TRIG:MAI:MOD NORM", "ACQ:NUMAV 4", "CH1:SCA .1", "CH2:SCA .1", "HOR:MAI:SEC 25E-9",
      "MEASU:MEAS1:TYP PK2;SOURCE1 CH1;STATE 1", "MEASU:MEAS2:TYP FREQ;SOURCE1 CH1;STATE 1",
      "TRIG:MAI:EDGE:SLO RIS", "SEL:CH1 OFF;CH2 ON", "TRIG:MAI:EDGE:SOU CH2", "HOR:MAI:SEC 5E-6",
      "TRIG:MAI:EDGE:SOU EXT10", "TRIG:MAI:LEV -300E-3", "TRIG:MAI:LEV  290E-3", "TRIG:MAI:EDGE:SLO FALL",
      "CH2:SCA .5", "PASSWORD TANGELO", "ERRLOG CLEAR", "DESE 32", "*ESE 32", "*SRE 48"};
  const char* queries[] = {"ID?", "*IDN?", "*OPC?", "SEL?", "MEASU:MEAS1?", "MEASU:MEAS2?", "MEASU:IMM?",
                           "MEASU:METH?", "ACQ?", "MEASU:IMM:VAL?", "MEASU:MEAS1:VAL?", "MEASU:IMM:TYP HIGH;VAL?",
                           "MEASU:IMM:TYP LOW;VAL?", "CURSOR:PAI:HPOS2?", "TRIG:STATE?", "*CAL?", "ERRLOG?",
                           "ERRLOG:NEXT?", "SET?", "BUSY?", "*ESR?"};
  bench.Ask("*ESR?");
  for (const char* command : commands) {
    bench.Write(command);
    EXPECT_EQ(bench.Ask("*ESR?"), "0") << command;
    bench.Write("DESE 255");
  }
  bench.Write("CURS:FUNC PAI");
  for (const char* query : queries) {
    EXPECT_FALSE(bench.Ask(query).empty()) << query;
    EXPECT_EQ(bench.Ask("*ESR?"), "0") << query;
  }
}

TEST(ScopeIdentity, IdAnswerCarriesModelAndFirmwareWhereTheProgramLooks) {
  ScopeConfig config = HealthyScopeConfig("TDS 340A");
  config.firmware = "2.03";
  ScopeBench bench(config);
  std::string id = bench.Ask("ID?");
  EXPECT_EQ(id, "ID TEK/TDS 340A,CF:91.1CT,FV:v2.03");
  size_t tds = id.find("TDS");
  EXPECT_EQ(id.substr(tds, id.find(',', tds) - tds), "TDS 340A");
  EXPECT_EQ(id.substr(id.find("FV") + 4, 5), "2.03");
  EXPECT_EQ(bench.Ask("*IDN?"), "TEKTRONIX,TDS 340A,0,CF:91.1CT FV:v2.03");
  bench.Write("HEAD 0");
  EXPECT_EQ(bench.Ask("ID?"), "TEK/TDS 340A,CF:91.1CT,FV:v2.03");
}

TEST(ScopeIdentity, ModelTableAndUnsupportedModels) {
  std::vector<std::string> models = SupportedScopeModels();
  EXPECT_EQ(models, (std::vector<std::string>{"TDS 310", "TDS 320", "TDS 340", "TDS 340A", "TDS 350", "TDS 360",
                                              "TDS 380"}));
  for (const std::string& model : models) {
    const ScopeModelData& desc = ScopeModelFor(model);
    EXPECT_EQ(desc.name, model);
    EXPECT_GT(desc.bandwidthHz, desc.nominalBandwidthHz * 1.1) << model;
  }
  // A model the program does not support still answers, with the nearest model's physics.
  EXPECT_FALSE(IsSupportedScopeModel("TDS 310A"));
  EXPECT_EQ(ScopeModelFor("TDS 310A").name, "TDS 310");
  ScopeBench bench(HealthyScopeConfig("TDS 310A"));
  EXPECT_EQ(bench.Ask("ID?"), "ID TEK/TDS 310A,CF:91.1CT,FV:v1.04");
}

// CURVE? sends the displayed record: a DC level of 2 divisions is 50 levels on 8 bits.
TEST(ScopeCommands, CurveSendsTheDisplayedRecordAsDataSays) {
  ScopeBench bench;
  bench.Apply(ScopeInput::Ch1, ScopeBench::Dc(0.2));  // 100 mV/div after *RST
  bench.Write("HEAD 0");
  const std::string block = bench.Ask("CURVE?");
  ASSERT_EQ(block.substr(0, 6), "#41000");
  ASSERT_EQ(block.size(), 6u + 1000u);
  int near = 0;
  for (size_t i = 6; i < block.size(); ++i) near += std::abs(static_cast<signed char>(block[i]) - 50) <= 3;
  EXPECT_GT(near, 950) << "signed binary, the noise within a few levels";

  bench.Write("DATA:ENC RPB;WID 2;STAR 11;STOP 20");
  const std::string wide = bench.Ask("CURV?");
  ASSERT_EQ(wide.substr(0, 4), "#220");
  const int first = (static_cast<unsigned char>(wide[4]) << 8) | static_cast<unsigned char>(wide[5]);
  EXPECT_NEAR(first - 32768, 50 * 256, 3 * 256) << "offset binary, most significant byte first";

  bench.Write("DATA:ENC SRI");
  const std::string swapped = bench.Ask("CURV?");
  const int16_t low = static_cast<int16_t>((static_cast<unsigned char>(swapped[5]) << 8) |
                                           static_cast<unsigned char>(swapped[4]));
  EXPECT_NEAR(low, 50 * 256, 3 * 256) << "least significant byte first";

  bench.Write("DATA:ENC ASCI;WID 1;STAR 1;STOP 3");
  const std::string text = bench.Ask("CURVE?");
  EXPECT_EQ(std::count(text.begin(), text.end(), ','), 2) << text;
  EXPECT_NEAR(std::stod(text), 50, 3);

  // A level past the screen is held at the digitiser's end; the settings outlive *RST.
  bench.Apply(ScopeInput::Ch1, ScopeBench::Dc(2.0));
  bench.Write("*RST;HEAD 0;DATA:ENC RIB;WID 1");
  EXPECT_EQ(bench.Ask("DATA:STOP?"), "3");
  EXPECT_EQ(bench.Ask("CURVE?"), "#13" + std::string(3, '\x7f'));
  bench.Write("DATA INIT");
  EXPECT_EQ(bench.Ask("DATA:STOP?;ENC?"), "1000;RIBINARY");
}

}  // namespace
}  // namespace veridane::sim
