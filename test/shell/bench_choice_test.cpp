// Choosing the bench: the connection texts, the remembered choice, and what the technician is
// told when a choice cannot be used.
#include <gtest/gtest.h>

#include <fstream>

#include "shell/bench_choice.h"
#include "test/support/shell_fakes.h"
#include "test/support/scripted_operator.h"

namespace veridane::testing {
namespace {

TEST(BenchChoice, ConnectionTexts) {
  struct Case {
    const char* text;
    BenchKind kind;
    const char* benchName;
  };
  const Case cases[] = {
      {"sim", BenchKind::Simulated, "default"},
      {"sim:gain-fault", BenchKind::Simulated, "gain-fault"},
      {"sim:benches/x.toml", BenchKind::Simulated, "benches/x.toml"},
      {"my-bench.toml", BenchKind::Simulated, "my-bench.toml"},
      {"./benches/mine", BenchKind::Simulated, "./benches/mine"},
      {"scope-only", BenchKind::Simulated, "scope-only"},
      {"ni:0", BenchKind::Hardware, ""},
      {"prologix:/dev/ttyUSB0", BenchKind::Hardware, ""},
      {"prologix-tcp:bench:1234", BenchKind::Hardware, ""},
      {"sim:", BenchKind::Unknown, ""},
      {"simulated", BenchKind::Unknown, ""},
      {"", BenchKind::Unknown, ""},
  };
  for (const Case& c : cases) {
    const BenchChoice choice = ParseBenchChoice(c.text);
    EXPECT_EQ(choice.kind, c.kind) << c.text;
    EXPECT_EQ(choice.benchName, c.benchName) << c.text;
    EXPECT_EQ(choice.text, c.text);
    EXPECT_FALSE(choice.fromSetting);
  }
}

TEST(BenchChoice, CommandLineWinsThenTheRememberedChoiceThenSim) {
  MemorySettings settings;
  BenchChoice choice = ChooseBench(std::nullopt, settings);
  EXPECT_EQ(choice.text, "sim");
  EXPECT_TRUE(choice.fromSetting);
  EXPECT_TRUE(choice.Simulated());

  RememberBench(settings, choice);  // the default is not a choice of the technician's
  EXPECT_EQ(settings.Get("Veridane", "Settings", "Bench", "(none)"), "(none)");

  BenchChoice given = ChooseBench(std::string("sim:scope-only"), settings);
  EXPECT_FALSE(given.fromSetting);
  RememberBench(settings, given);
  EXPECT_EQ(settings.Get("Veridane", "Settings", "Bench", ""), "sim:scope-only");

  BenchChoice next = ChooseBench(std::nullopt, settings);
  EXPECT_EQ(next.benchName, "scope-only");
  EXPECT_TRUE(next.fromSetting);
  EXPECT_EQ(ChooseBench(std::string("sim:tds380"), settings).benchName, "tds380");
}

TEST(BenchChoice, OpensShippedAndFileBenches) {
  VirtualClock clock;
  ScriptedOperator technician;
  auto bench = OpenBench(ParseBenchChoice("sim"), clock, technician);
  ASSERT_NE(bench, nullptr);
  EXPECT_EQ(bench->Description().scope.model, "TDS 340");

  ScratchFolder folder("benchfile");
  const std::string path = (folder.Path() / "mine.toml").string();
  std::ofstream(path) << "[scope]\nmodel = \"TDS 380\"\n";
  auto fromFile = OpenBench(ParseBenchChoice(path), clock, technician);
  ASSERT_NE(fromFile, nullptr);
  EXPECT_EQ(fromFile->Description().scope.model, "TDS 380");
  EXPECT_TRUE(technician.Prompts().empty());
}

TEST(BenchChoice, RealHardwareIsRefusedClearly) {
  VirtualClock clock;
  for (bool remembered : {false, true}) {
    ScriptedOperator technician;
    technician.ExpectContaining("Real GPIB hardware is not available in this build.\nThe bench \"ni:0\" cannot be used",
                                kCritical, "Bench", kOk);
    BenchChoice choice = ParseBenchChoice("ni:0");
    choice.fromSetting = remembered;
    EXPECT_THROW(OpenBench(choice, clock, technician), ProgramEnded);
    technician.ExpectAllConsumed();
    ASSERT_EQ(technician.Prompts().size(), 1u);
    EXPECT_EQ(technician.Prompts()[0].text.find("remembered") != std::string::npos, remembered);
  }
}

TEST(BenchChoice, BadBenchesNameTheFileAndTheProblem) {
  VirtualClock clock;
  ScratchFolder folder("badbench");
  const std::string broken = (folder.Path() / "broken.toml").string();
  std::ofstream(broken) << "[scope]\nmodel = \"TDS 340\"\nfirmwre = \"1.04\"\n";
  const std::string missing = (folder.Path() / "missing.toml").string();

  struct Case {
    std::string text;
    std::string shows;
  };
  const Case cases[] = {
      {broken, broken + ":3:"},
      {missing, "missing.toml"},
      {"sim:no-such-bench", "no such bench"},
      {"nonsense", "Unknown bench \"nonsense\""},
  };
  for (const Case& c : cases) {
    ScriptedOperator technician;
    technician.ExpectContaining(c.shows, kCritical, "Bench", kOk);
    EXPECT_THROW(OpenBench(ParseBenchChoice(c.text), clock, technician), ProgramEnded) << c.text;
    technician.ExpectAllConsumed();
  }
}

TEST(BenchChoice, InstrumentDataFolder) {
  VirtualClock clock;
  ScriptedOperator technician;
  MemorySettings settings;
  const Paths paths("/data/root", /*simulated=*/true);

  const BenchChoice sim = ParseBenchChoice("sim");
  auto bench = OpenBench(sim, clock, technician);
  EXPECT_EQ(InstrumentDataFolderFor(sim, bench.get(), settings, paths).string(), bench->InstrumentDataFolder());

  const BenchChoice real = ParseBenchChoice("ni:0");
  EXPECT_EQ(InstrumentDataFolderFor(real, nullptr, settings, paths).string(), "/data/root/Veridane/Instruments");
  settings.Save("Veridane", "Settings", "InstrumentData", "/opt/bench");
  EXPECT_EQ(InstrumentDataFolderFor(real, nullptr, settings, paths).string(), "/opt/bench");
  // The setting is for real benches only: a simulated bench keeps its own files.
  EXPECT_EQ(InstrumentDataFolderFor(sim, bench.get(), settings, paths).string(), bench->InstrumentDataFolder());
}

}  // namespace
}  // namespace veridane::testing
