// A whole bench over its bus: the program's texts reach the instruments at the file's
// addresses, the routes they switch carry the signals to the scope, the instrument-data folder
// holds the files the program reads, and every shipped bench loads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/event_loop.h"
#include "platform/numbers.h"
#include "sim/bench/bench.h"
#include "sim/bench/shipped_benches.h"
#include "sim/instruments/compensation.h"

namespace veridane::sim {
namespace {

class BusUser {
 public:
  explicit BusUser(Gpib488& bus) : bus_(bus) {}
  void Write(int address, const std::string& text) {
    bus_.ibwrt(Handle(address), text);
    ASSERT_EQ(bus_.Status().ibsta & kErr, 0) << "write to " << address << ": " << text;
  }
  // The answer, or "<timeout>".
  std::string Query(int address, const std::string& text) {
    int ud = Handle(address);
    bus_.ibwrt(ud, text);
    std::string buffer(256, ' ');
    bus_.ibrd(ud, buffer);
    if (bus_.Status().ibsta & kErr) return "<timeout>";
    buffer.resize(bus_.Status().ibcntl);
    while (!buffer.empty() && (buffer.back() == '\n' || buffer.back() == '\r')) buffer.pop_back();
    return buffer;
  }

 private:
  int Handle(int address) {
    auto it = handles_.find(address);
    if (it == handles_.end()) it = handles_.emplace(address, bus_.ibdev(0, address, 0, 11, 1, 0)).first;
    return it->second;
  }
  Gpib488& bus_;
  std::map<int, int> handles_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

TEST(Bench, DefaultBenchAnswersAtItsAddresses) {
  VirtualClock clock;
  auto bench = Bench::Shipped("default", clock);
  BusUser bus(bench->Bus());
  EXPECT_NE(bus.Query(1, "ID?").find("TDS 340"), std::string::npos);
  EXPECT_NE(bus.Query(5, "ID?").find("AT5010"), std::string::npos);
  EXPECT_NE(bus.Query(6, "ID?").find("CG5011"), std::string::npos);
  EXPECT_EQ(bus.Query(7, "ID?"), "0.");
  EXPECT_NE(bus.Query(8, "ID?").find("SG5030"), std::string::npos);
  EXPECT_NE(bus.Query(11, "ID?").find("SI5020"), std::string::npos);
  EXPECT_NE(bus.Query(12, "ID?").find("SI5020"), std::string::npos);
  EXPECT_EQ(bus.Query(9, "ID?"), "<timeout>");
}

TEST(Bench, ProgramsRoutesCarryTheInstrumentsToTheScope) {
  VirtualClock clock;
  auto bench = Bench::Shipped("default", clock);
  BusUser bus(bench->Bus());
  // 50 kHz at 6 mV p-p in full Auto on an SG 5030: ratio 500, generator at its table level.
  double level = CompensationTable(*bench->Generator())[0].row0;
  bus.Write(8, "OUT OFF");
  bus.Write(5, "ATT   500");
  bus.Write(8, "AMPL" + PlainText(static_cast<float>(level)) + ";FRE 50000;OUT ON");
  // SetRoute "SG,CH1" with SG:A1 and CH1:B1C1.
  bus.Write(11, "INIT;CLOSE A1,B1,");
  bus.Write(12, "INIT;CLOSE A1,");
  Signal ch1 = bench->SignalAt(ScopeInput::Ch1);
  EXPECT_EQ(ch1.kind, Signal::Kind::Sine);
  EXPECT_NEAR(ch1.vpp, 0.006, 1e-8);
  EXPECT_EQ(bench->SignalAt(ScopeInput::Ch2).kind, Signal::Kind::None);

  // "CALIB,CH2": the calibrator's -0.99 V on CH2 only.
  bus.Write(7, "-.99V,N");
  bus.Write(11, "INIT;CLOSE A2,B2,");
  bus.Write(12, "INIT;CLOSE A2,");
  EXPECT_EQ(bench->SignalAt(ScopeInput::Ch1).kind, Signal::Kind::None);
  EXPECT_DOUBLE_EQ(bench->SignalAt(ScopeInput::Ch2).dcVolts, -0.99);

  // "SG,AUXTR": B3 on the first scanner, D1 = the second scanner's B1.
  bus.Write(11, "INIT;CLOSE A1,B3,");
  bus.Write(12, "INIT;CLOSE B1,");
  EXPECT_EQ(bench->SignalAt(ScopeInput::ExtTrig).kind, Signal::Kind::Sine);

  // The scope measures what the wiring delivers: the calibrator on CH1.
  bus.Write(7, ".3V+,N");
  bus.Write(11, "INIT;CLOSE A2,B1,");
  bus.Write(12, "INIT;CLOSE A1,");
  bus.Write(1, "CH1:SCA .1;POS 0;OFFS 0");
  bus.Write(1, "MEASU:MEAS1:TYP MEAN;SOU CH1;STATE ON");
  std::string reading = bus.Query(1, "MEASU:MEAS1:VAL?");
  EXPECT_NEAR(NumericValue(reading.substr(reading.rfind(' ') + 1)), 0.3, 0.02) << reading;
}

TEST(Bench, InstrumentDataFolderHoldsTheBenchsFilesAndGoesWithIt) {
  VirtualClock clock;
  std::string folder;
  {
    auto bench = Bench::Shipped("default", clock);
    folder = bench->InstrumentDataFolder();
    std::string comp = ReadFile(folder + "/SG 5030.dat");
    EXPECT_EQ(comp, CompensationFileText(*bench->Generator()));
    EXPECT_EQ(ReadFile(folder + "/SI5020.cfg"), "AUXTR:B3D1\r\nCALIB:A2\r\nCGTR:A3\r\nCH1:B1C1\r\nCH2:B2C2\r\nSG:A1\r\n");
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST(Bench, FileOptionsForTheInstrumentData) {
  VirtualClock clock;
  std::string folder = (std::filesystem::temp_directory_path() / "veridane-bench-test-data").string();
  std::filesystem::remove_all(folder);
  {
    auto bench = Bench::FromText(
        "[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"SME06\"\naddress = 4\ncomp_file = \"short\"\n"
        "[[instrument]]\ntype = \"SI 5020\"\naddress = 5\n[wiring]\nscanner_file = \"empty\"\n",
        "t.toml", clock, {folder});
    EXPECT_EQ(bench->InstrumentDataFolder(), folder);
    std::string comp = ReadFile(folder + "/R&S SME06.dat");
    EXPECT_EQ(std::count(comp.begin(), comp.end(), '\n'), 21);
    EXPECT_TRUE(std::filesystem::exists(folder + "/SI5020.cfg"));
    EXPECT_EQ(ReadFile(folder + "/SI5020.cfg"), "");
  }
  EXPECT_TRUE(std::filesystem::exists(folder));  // a folder the caller named stays
  std::filesystem::remove_all(folder);

  auto bench = Bench::Shipped("missing-comp-file", clock);
  EXPECT_FALSE(std::filesystem::exists(bench->InstrumentDataFolder() + "/SG 5030.dat"));
  auto noConfig = Bench::Shipped("missing-scanner-file", clock);
  EXPECT_FALSE(std::filesystem::exists(noConfig->InstrumentDataFolder() + "/SI5020.cfg"));
}

TEST(Bench, TechnicianSetsHandInstrumentsAndMovesCables) {
  VirtualClock clock;
  auto bench = Bench::Shipped("scope-only", clock);
  EXPECT_FALSE(bench->GeneratorOnBus());
  EXPECT_EQ(bench->SignalAt(ScopeInput::Ch1).kind, Signal::Kind::None);
  ASSERT_TRUE(bench->SetManualGenerator(50e3, 0.012));
  ASSERT_TRUE(bench->ConnectCable("SG", ScopeInput::Ch1));
  bench->SetTermination(ScopeInput::Ch1, true);
  EXPECT_DOUBLE_EQ(bench->SignalAt(ScopeInput::Ch1).vpp, 0.012);
  ASSERT_TRUE(bench->SetManualGeneratorFrequency(1e8));
  EXPECT_DOUBLE_EQ(bench->SignalAt(ScopeInput::Ch1).frequencyHz, 1e8);

  ASSERT_TRUE(bench->SetManualCalibrator(8.4));
  ASSERT_TRUE(bench->ConnectCable("CALIB", ScopeInput::Ch2));
  EXPECT_DOUBLE_EQ(bench->SignalAt(ScopeInput::Ch2).dcVolts, 8.4);
  ASSERT_TRUE(bench->SetManualTimeMarks(0.01));
  ASSERT_TRUE(bench->ConnectCable("CGTR", ScopeInput::Ch1));
  EXPECT_DOUBLE_EQ(bench->SignalAt(ScopeInput::Ch1).markerPeriodS, 0.01);
  bench->DisconnectAllCables();
  EXPECT_EQ(bench->SignalAt(ScopeInput::Ch2).kind, Signal::Kind::None);
}

TEST(Bench, HandSettingABusInstrumentUsesItsFrontPanelAndLimits) {
  VirtualClock clock;
  auto bench = Bench::Shipped("silent-generator", clock);
  ASSERT_TRUE(bench->GeneratorOnBus());
  BusUser bus(bench->Bus());
  EXPECT_EQ(bus.Query(8, "ID?"), "<timeout>");  // silent: the program will not find it
  ASSERT_TRUE(bench->SetManualGenerator(1e8, 0.5));
  EXPECT_TRUE(bench->Generator()->OutputOn());
  EXPECT_DOUBLE_EQ(bench->Generator()->LevelVpp(), 0.5);
  EXPECT_FALSE(bench->SetManualGenerator(1e9, 0.5));  // beyond the SG 5030
  EXPECT_DOUBLE_EQ(bench->Generator()->FrequencyHz(), 1e8);
  EXPECT_FALSE(bench->SetManualGeneratorAmplitude(6));
  ASSERT_TRUE(bench->SetManualCalibrator(-0.6));
  EXPECT_DOUBLE_EQ(bench->Calibrator()->Value(), -0.6);
  EXPECT_TRUE(bench->Calibrator()->Operate());
  EXPECT_FALSE(bench->SetManualCalibrator(2000));
  EXPECT_FALSE(bench->SetManualTimeMarks(3e-3));
  ASSERT_TRUE(bench->SetManualTimeMarks(1e-2));
  EXPECT_DOUBLE_EQ(bench->TimeMarkGenerator()->MarkerPeriod(), 1e-2);
}

TEST(Bench, FaultsFromTheFileReachTheBus) {
  VirtualClock clock;
  auto garbled = Bench::Shipped("garbled-calibrator", clock);
  BusUser bus(garbled->Bus());
  std::string answer = bus.Query(7, "ID?");
  EXPECT_NE(answer, "0.");
  EXPECT_NE(answer, "<timeout>");

  auto vanishing = Bench::FromText(
      "[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"AT 5010\"\naddress = 4\nfaults = { vanish_after = 2 }\n",
      "v.toml", clock);
  BusUser bus2(vanishing->Bus());
  EXPECT_NE(bus2.Query(4, "ID?").find("AT5010"), std::string::npos);
  bus2.Query(4, "ID?");
  EXPECT_EQ(bus2.Query(4, "ID?"), "<timeout>");
}

TEST(Bench, TraceSwitch) {
  VirtualClock clock;
  auto bench = Bench::Shipped("scope-only", clock);
  std::vector<std::string> lines;
  bench->SetTrace([&lines](const std::string& line) { lines.push_back(line); });
  BusUser bus(bench->Bus());
  bus.Query(1, "ID?");
  EXPECT_FALSE(lines.empty());
  size_t seen = lines.size();
  bench->StopTrace();
  bus.Query(1, "ID?");
  EXPECT_EQ(lines.size(), seen);
  EXPECT_FALSE(bench->TraceToFile("/nonexistent/folder/trace.txt"));
}

TEST(Bench, EveryShippedBenchLoads) {
  std::vector<std::string> names = ShippedBenchNames();
  for (const char* expected : {"default", "scope-only", "tds310", "tds320", "tds340", "tds340a", "tds350", "tds360",
                               "tds380", "offset-fault", "gain-fault", "timebase-fault", "silent-generator"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
  }
  for (const std::string& name : names) {
    VirtualClock clock;
    std::unique_ptr<Bench> bench;
    ASSERT_NO_THROW(bench = Bench::Shipped(name, clock)) << name;
    BusUser bus(bench->Bus());
    std::string id = bus.Query(bench->Description().scopeAddress, "ID?");
    EXPECT_NE(id.find(bench->Description().scope.model), std::string::npos) << name << ": " << id;
    EXPECT_FALSE(bench->Description().description.empty()) << name;
  }
  // The model benches carry their model; the shipped texts are reachable with ".toml" too.
  EXPECT_EQ(ParseBenchText(*ShippedBenchText("tds380.toml"), "x").scope.model, "TDS 380");
  EXPECT_EQ(ParseBenchText(*ShippedBenchText("tds340a"), "x").scope.model, "TDS 340A");
}

TEST(Bench, OpenTakesAPathOrAShippedName) {
  VirtualClock clock;
  try {
    Bench::Open("no-such-bench", clock);
    FAIL() << "opened";
  } catch (const BenchFileError& error) {
    EXPECT_NE(std::string(error.what()).find("no-such-bench: no such bench (shipped benches: bandwidth-fault, default,"), std::string::npos)
        << error.what();
  }
  std::string path = (std::filesystem::temp_directory_path() / "veridane-bench-open-test.toml").string();
  std::ofstream(path) << "[scope]\nmodel = \"TDS 320\"\n[[instrument]]\ntype = \"Fluke 5100A\"\naddress = 2\n";
  auto bench = Bench::Open(path, clock);
  EXPECT_EQ(bench->Description().scope.model, "TDS 320");
  EXPECT_TRUE(bench->CalibratorOnBus());
  std::filesystem::remove(path);
  EXPECT_THROW(Bench::Open(path, clock), BenchFileError);
}

}  // namespace
}  // namespace veridane::sim
