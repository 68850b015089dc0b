// Bench files: what they set, and that a mistake is reported with the file, the line and
// what is wrong.
#include <gtest/gtest.h>

#include <string>

#include "sim/bench/bench_file.h"

namespace veridane::sim {
namespace {

// The error of a text that must not load.
BenchFileError ErrorOf(const std::string& text) {
  try {
    ParseBenchText(text, "bad.toml");
  } catch (const BenchFileError& error) {
    return error;
  }
  ADD_FAILURE() << "loaded:\n" << text;
  return BenchFileError("", 0, "");
}

TEST(BenchFile, ReadsScopeFaultsInstrumentsAndWiring) {
  BenchDescription desc = ParseBenchText(R"(
description = "everything"
[scope]
model = "TDS 350"
firmware = "2.01"
address = 3
time_base_ppm = 120
self_cal = "fail"
error_log = ["first", "second"]
faults = { slow = 0.5 }
[scope.ch2]
offset_error = -0.02
gain_error = 0.03
bandwidth_mhz = 150
[scope.trigger]
ext = 0.2
[[instrument]]
type = "sme 03"
address = 9
flatness = [0.1, 0]
comp_file = "short"
faults = { silent = true, vanish_after = 3, garbage = true }
[[instrument]]
type = "calibrator"
[[instrument]]
type = "SI 5020"
address = 10
[[instrument]]
type = "SI5020"
address = 11
[wiring]
generator_through_attenuator = false
terminated = ["EXT TRIG"]
scanner_file_text = "SG:A1\r\n"
[wiring.relays]
sg = "a1"
CH1 = "B1C1"
[[wiring.cable]]
source = "calib"
input = "ch2"
ratio = 10
)",
                                  "all.toml");
  EXPECT_EQ(desc.description, "everything");
  EXPECT_EQ(desc.scope.model, "TDS 350");
  EXPECT_EQ(desc.scope.firmware, "2.01");
  EXPECT_EQ(desc.scopeAddress, 3);
  EXPECT_DOUBLE_EQ(desc.scope.timeBasePpm, 120);
  EXPECT_EQ(desc.scope.selfCalResult, 1);
  EXPECT_EQ(desc.scope.errorLog, (std::vector<std::string>{"first", "second"}));
  EXPECT_DOUBLE_EQ(desc.scopeFaults.slowSeconds, 0.5);
  EXPECT_DOUBLE_EQ(desc.scope.channels[1].offsetErrorVolts, -0.02);
  EXPECT_DOUBLE_EQ(desc.scope.channels[1].gainError, 0.03);
  EXPECT_DOUBLE_EQ(desc.scope.channels[1].bandwidthHz, 150e6);
  EXPECT_DOUBLE_EQ(desc.scope.channels[0].offsetErrorVolts, 0);
  EXPECT_DOUBLE_EQ(desc.scope.triggerSensitivity.ext, 0.2);

  ASSERT_EQ(desc.instruments.size(), 4u);
  const InstrumentEntry& sme = desc.instruments[0];
  EXPECT_EQ(sme.kind, InstrumentKind::Generator);
  EXPECT_EQ(sme.type, "SME03");
  EXPECT_EQ(sme.address, 9);
  EXPECT_EQ(sme.line, 17);
  EXPECT_DOUBLE_EQ(sme.flatness1.value(), 0.1);
  EXPECT_EQ(sme.compFile, InstrumentEntry::CompFile::Short);
  EXPECT_TRUE(sme.faults.silent);
  EXPECT_TRUE(sme.faults.garbage);
  EXPECT_EQ(sme.faults.vanishAfterMessages, 3);
  EXPECT_EQ(desc.instruments[1].kind, InstrumentKind::Calibrator);
  EXPECT_FALSE(desc.instruments[1].address.has_value());
  EXPECT_EQ(desc.instruments[3].type, "SI 5020");

  EXPECT_FALSE(desc.generatorThroughAttenuator);
  EXPECT_EQ(desc.terminated, std::vector<ScopeInput>{ScopeInput::ExtTrig});
  EXPECT_EQ(desc.scannerFileText.value(), "SG:A1\r\n");
  EXPECT_EQ(desc.relays, (std::map<std::string, std::string>{{"SG", "A1"}, {"CH1", "B1C1"}}));
  ASSERT_EQ(desc.cables.size(), 1u);
  EXPECT_EQ(desc.cables[0].source, "CALIB");
  EXPECT_EQ(desc.cables[0].input, ScopeInput::Ch2);
  EXPECT_DOUBLE_EQ(desc.cables[0].ratio, 10);
}

TEST(BenchFile, MinimalFileIsAHealthyScopeAlone) {
  BenchDescription desc = ParseBenchText("[scope]\nmodel = \"TDS 310\"\n", "min.toml");
  EXPECT_EQ(desc.scopeAddress, 1);
  EXPECT_TRUE(desc.instruments.empty());
  EXPECT_EQ(desc.scope.model, "TDS 310");
  EXPECT_EQ(desc.scope.selfCalResult, 0);
}

TEST(BenchFile, SyntaxErrorNamesFileAndLine) {
  BenchFileError error = ErrorOf("[scope]\nmodel = \"TDS 340\"\naddress = = 4\n");
  EXPECT_EQ(error.File(), "bad.toml");
  EXPECT_EQ(error.Line(), 3);
  EXPECT_EQ(std::string(error.what()).rfind("bad.toml:3: ", 0), 0u) << error.what();
}

TEST(BenchFile, MistakesNameTheirLineAndWhatIsWrong) {
  struct Case {
    const char* text;
    int line;
    const char* says;
  };
  const Case cases[] = {
      {"[scope]\nfirmware = \"1\"\n", 1, "needs a model"},
      {"[scope]\nmodel = \"TDS 999\"\n", 2, "unknown model \"TDS 999\""},
      {"[scope]\nmodel = \"TDS 340\"\nadress = 4\n", 3, "unknown key \"adress\" in [scope]"},
      {"[scope]\nmodel = \"TDS 340\"\naddress = 31\n", 3, "scope.address: must be 1 to 30"},
      {"[scope]\nmodel = \"TDS 340\"\n[scope.ch1]\ngain_error = \"big\"\n", 4, "scope.ch1.gain_error: expected a number"},
      {"[scope]\nmodel = \"TDS 340\"\nfaults = { slient = true }\n", 3, "unknown key \"slient\""},
      {"[scope]\nmodel = \"TDS 340\"\n\n[[instrument]]\ntype = \"SG 503\"\naddress = 4\n", 5,
       "unknown instrument \"SG 503\""},
      {"[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"AT 5010\"\naddress = 1\n", 5,
       "address 1 is already taken by the scope"},
      {"[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"AT 5010\"\naddress = 4\n[[instrument]]\n"
       "type = \"SI 5020\"\naddress = 4\n",
       8, "already taken by the instrument of line 3"},
      {"[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"SI 5020\"\n", 3, "needs an address"},
      {"[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"SG 5030\"\naddress = 4\n[[instrument]]\n"
       "type = \"SME03\"\naddress = 5\n",
       6, "already has a generator"},
      {"[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"AT 5010\"\naddress = 4\nppm_error = 3\n", 6,
       "unknown key \"ppm_error\" for a AT 5010"},
      {"[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"SG 5030\"\naddress = 4\ncomp_file = \"lost\"\n", 6,
       "comp_file: expected"},
      {"[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"generator\"\naddress = 4\n", 5, "not on the bus"},
      {"[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"SI 5020\"\naddress = 4\n[wiring.relays]\nSG = \"A1E\"\n",
       7, "not a run of relay codes"},
      {"[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"SI 5020\"\naddress = 4\n[wiring.relays]\nCH1 = \"C1\"\n",
       7, "need a second scanner"},
      {"[scope]\nmodel = \"TDS 340\"\n[wiring.relays]\nCH1 = \"A1\"\n", 4, "no scanner"},
      {"[scope]\nmodel = \"TDS 340\"\n[wiring]\nterminated = [\"CH3\"]\n", 4, "unknown input \"CH3\""},
      {"[scope]\nmodel = \"TDS 340\"\n[[wiring.cable]]\nsource = \"SG\"\ninput = \"CH1\"\nratio = 0.5\n", 6,
       "ratio of 1 or more"},
      {"[scope]\nmodel = \"TDS 340\"\n[[wiring.cable]]\nsource = \"SCOPE\"\ninput = \"CH1\"\n", 4, "unknown source"},
  };
  for (const Case& c : cases) {
    BenchFileError error = ErrorOf(c.text);
    EXPECT_EQ(error.Line(), c.line) << c.text << "\n" << error.what();
    std::string what = error.what();
    EXPECT_NE(what.find(c.says), std::string::npos) << what;
    EXPECT_EQ(what.rfind("bad.toml:" + std::to_string(c.line) + ": ", 0), 0u) << what;
  }
}

TEST(BenchFile, MissingFileSaysSo) {
  try {
    LoadBenchFile("/nonexistent/bench.toml");
    FAIL() << "loaded";
  } catch (const BenchFileError& error) {
    EXPECT_EQ(std::string(error.what()), "/nonexistent/bench.toml: the bench file does not exist");
  }
}

}  // namespace
}  // namespace veridane::sim
