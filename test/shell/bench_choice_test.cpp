// Choosing the bench: the connection texts, the remembered choice, and what the technician is
// told when a choice cannot be used.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/bench_choice.h"
#include "shell/launcher.h"
#include "shell/parlex_folder.h"
#include "shell/program.h"
#include "test/support/shell_fakes.h"
#include "test/support/test_backends.h"

namespace veridane::testing {
namespace {

// The text of the BenchOpenError that opening `text` throws, or "" when it opens.
std::string OpenError(const BackendRegistry& registry, const BenchChoice& choice) {
  VirtualClock clock;
  MemorySettings settings;
  try {
    OpenBench(registry, choice, clock, settings);
  } catch (const BenchOpenError& error) {
    return error.what();
  }
  return "";
}

BenchChoice Given(const BackendRegistry& registry, const std::string& text) {
  MemorySettings settings;
  return ChooseBench(registry, text, settings);
}

TEST(BenchChoice, ConnectionTextsFindTheirBackEnd) {
  const BackendRegistry registry = TestBackends();
  struct Case {
    const char* text;
    const char* scheme;  // "" for none
  };
  const Case cases[] = {
      {"sim", "sim"},
      {"sim:gain-fault", "sim"},
      {"sim:benches/x.toml", "sim"},
      {"my-bench.toml", "sim"},
      {"./benches/mine", "sim"},
      {"scope-only", "sim"},
      {"gpib:0", "gpib"},
      {"ni:0", "gpib"},
      {"prologix:/dev/ttyUSB0", "prologix"},
      {"prologix-tcp:bench:1234", "prologix-tcp"},
      {"ar488:/dev/ttyACM0", "ar488"},
      {"sim:", ""},
      {"simulated", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    const BenchChoice choice = Given(registry, c.text);
    EXPECT_EQ(choice.scheme ? choice.scheme->name : "", c.scheme) << c.text;
    EXPECT_EQ(choice.Simulated(), std::string(c.scheme) == "sim") << c.text;
    EXPECT_FALSE(choice.fromSetting);
  }
}

TEST(BenchChoice, CommandLineWinsThenTheRememberedChoiceThenSim) {
  const BackendRegistry registry = TestBackends();
  MemorySettings settings;
  BenchChoice choice = ChooseBench(registry, std::nullopt, settings);
  EXPECT_EQ(choice.text, "sim");
  EXPECT_TRUE(choice.fromSetting);
  EXPECT_TRUE(choice.Simulated());

  RememberBench(settings, choice);  // the default is not a choice of the technician's
  EXPECT_EQ(settings.Get("Veridane", "Settings", "Bench", "(none)"), "(none)");

  BenchChoice given = ChooseBench(registry, std::string("sim:scope-only"), settings);
  EXPECT_FALSE(given.fromSetting);
  RememberBench(settings, given);
  EXPECT_EQ(settings.Get("Veridane", "Settings", "Bench", ""), "sim:scope-only");

  BenchChoice next = ChooseBench(registry, std::nullopt, settings);
  EXPECT_EQ(next.text, "sim:scope-only");
  EXPECT_TRUE(next.fromSetting);
}

TEST(BenchChoice, OpensShippedAndFileBenches) {
  const BackendRegistry registry = TestBackends();
  VirtualClock clock;
  auto bench = OpenBench(registry, Given(registry, "sim"), clock, MemorySettings());
  ASSERT_NE(bench, nullptr);
  EXPECT_TRUE(std::filesystem::exists(bench->InstrumentDataFolder()));

  ScratchFolder folder("benchfile");
  const std::string path = (folder.Path() / "mine.toml").string();
  std::ofstream(path) << "[scope]\nmodel = \"TDS 380\"\n";
  auto fromFile = OpenBench(registry, Given(registry, path), clock, MemorySettings());
  ASSERT_NE(fromFile, nullptr);
  // The scope answers on the bus the file describes.
  std::vector<int16_t> listeners(31, 0);
  fromFile->Driver().FindLstn(0, {1, 2, 3, kNoAddr}, listeners, 30);
  EXPECT_GT(fromFile->Driver().Status().ibcntl, 0);
}

TEST(BenchChoice, BenchesThisBuildCannotOpenAreRefusedClearly) {
  BackendRegistry registry;
  BenchScheme known;
  known.name = "gpib";
  known.matches = [](std::string_view text) { return text.starts_with("ni:"); };
  registry.Register(known);
  for (bool remembered : {false, true}) {
    BenchChoice choice = Given(registry, "ni:0");
    choice.fromSetting = remembered;
    const std::string text = OpenError(registry, choice);
    EXPECT_EQ(text.rfind("Real GPIB hardware is not available in this build.\nThe bench \"ni:0\" cannot be used", 0), 0u)
        << text;
    EXPECT_EQ(text.find("remembered") != std::string::npos, remembered);
  }
}

TEST(BenchChoice, BadBenchesNameTheFileAndTheProblem) {
  const BackendRegistry registry = TestBackends();
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
      {"nonsense", "Shipped benches: "},
      {"gpib:99", "gpib:99"},
      {"prologix-tcp:", "names no adapter"},
  };
  for (const Case& c : cases) EXPECT_NE(OpenError(registry, Given(registry, c.text)).find(c.shows), std::string::npos) << c.text;
}

TEST(BenchChoice, InstrumentDataFolder) {
  const BackendRegistry registry = TestBackends();
  VirtualClock clock;
  MemorySettings settings;
  const Paths paths("/data/root", /*simulated=*/true);

  auto bench = OpenBench(registry, Given(registry, "sim"), clock, settings);
  EXPECT_EQ(InstrumentDataFolderFor(*bench, settings, paths), bench->InstrumentDataFolder());

  // A real bench brings no folder of its own: the setting, else the real data folder.
  struct RealBench : OpenedBench {
    Gpib488& Driver() override { std::abort(); }
  } real;
  EXPECT_EQ(InstrumentDataFolderFor(real, settings, paths).string(), "/data/root/Veridane/Instruments");
  settings.Save("Veridane", "Settings", "InstrumentData", "/opt/bench");
  EXPECT_EQ(InstrumentDataFolderFor(real, settings, paths).string(), "/opt/bench");
  // The setting is for real benches only: a simulated bench keeps its own files.
  EXPECT_EQ(InstrumentDataFolderFor(*bench, settings, paths), bench->InstrumentDataFolder());
}

TEST(BenchChoice, AFaultBenchIsUsedButNeverRememberedAndTheCaptionNamesTheBench) {
  const BackendRegistry registry = TestBackends();
  VirtualClock clock;
  ScratchFolder root("bench-remember");
  MemorySettings settings;
  // The window's start on a bench given on its command line: whether that bench makes faults.
  auto start = [&](const char* text) {
    Launcher launcher(registry, settings, Paths(root.String()));
    LaunchRequest request;
    request.bench = text;
    request.rememberBench = true;
    launcher.Choose(request);
    launcher.Open(clock);
    return launcher.bench().InjectsFaults();
  };
  for (const char* healthy : {"sim:tds350", "sim:scope-only"}) {
    EXPECT_FALSE(start(healthy)) << healthy;
    EXPECT_EQ(settings.Get("Veridane", "Settings", "Bench", ""), healthy);
  }
  for (const char* faulty : {"sim:bandwidth-fault", "sim:silent-generator", "sim:missing-comp-file", "sim:selfcal-fault"}) {
    EXPECT_TRUE(start(faulty)) << faulty;
    EXPECT_EQ(settings.Get("Veridane", "Settings", "Bench", ""), "sim:scope-only") << faulty;
  }
  EXPECT_EQ(BenchCaptionMark("sim:bandwidth-fault", true), " [Simulated bench sim:bandwidth-fault]");
  EXPECT_EQ(BenchCaptionMark("", true), " [Simulated bench]");
  EXPECT_EQ(BenchCaptionMark("gpib:0", false), " [Bench gpib:0]");
  EXPECT_EQ(BenchCaptionMark("", false), "");
}

TEST(ParlexFolder, TheOldFolderMovesIntoTheProgramsOwnOnceWithTheSetting) {
  ScratchFolder root("parlex-move");
  const Paths paths(root.String());
  std::filesystem::create_directories(root.String() + "/Parlex/Simulated");
  std::ofstream(root.String() + "/Parlex/StartUp.gmg") << "real";
  std::ofstream(root.String() + "/Parlex/Simulated/StartUp.gmg") << "sim";
  MemorySettings settings;
  settings.Save("Parlex", "Settings", "SelectedDataFolder", root.String() + "/Parlex/Simulated/data");
  std::string error;
  ASSERT_TRUE(MoveOldParlexFolder(paths, settings, error)) << error;
  EXPECT_FALSE(std::filesystem::exists(root.String() + "/Parlex"));
  std::string real, simulated;
  std::ifstream(root.String() + "/Veridane/Parlex/StartUp.gmg") >> real;
  std::ifstream(root.String() + "/Veridane/Simulated/Parlex/StartUp.gmg") >> simulated;
  EXPECT_EQ(real, "real");
  EXPECT_EQ(simulated, "sim");
  EXPECT_FALSE(std::filesystem::exists(root.String() + "/Veridane/Parlex/Simulated"));
  EXPECT_EQ(settings.Get("Parlex", "Settings", "SelectedDataFolder", ""),
            root.String() + "/Veridane/Simulated/Parlex/data");
  // Done once: a second start finds nothing to move.
  EXPECT_TRUE(MoveOldParlexFolder(paths, settings, error));
}

}  // namespace
}  // namespace veridane::testing
