#include "shell/bench_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "sim/backend/sim_backend.h"

namespace veridane {
namespace {

// The description line of every file in sim/benches, read straight from the files.
std::map<std::string, std::string> ShippedFiles() {
  std::map<std::string, std::string> files;
  const std::regex description(R"re(^description\s*=\s*"(.*)"\s*$)re");
  for (const auto& entry : std::filesystem::directory_iterator(VERIDANE_SOURCE_DIR "/sim/benches")) {
    if (entry.path().extension() != ".toml") continue;
    std::ifstream file(entry.path());
    std::string line;
    std::smatch match;
    std::string found;
    while (std::getline(file, line))
      if (std::regex_match(line, match, description)) found = match[1];
    files[entry.path().stem().string()] = found;
  }
  return files;
}

BackendRegistry WithSimulator() {
  BackendRegistry registry;
  registry.Register(sim::SimulatedBenchScheme());
  return registry;
}

TEST(BenchList, EveryShippedFileWithItsDescription) {
  const std::map<std::string, std::string> files = ShippedFiles();
  ASSERT_FALSE(files.empty());
  MemorySettings settings;
  const std::string text = BenchListText(WithSimulator(), settings);

  std::istringstream lines(text);
  std::string line;
  std::map<std::string, std::string> listed;
  const std::regex row(R"(^  sim:(\S+)  +(.+)$)");
  std::smatch match;
  while (std::getline(lines, line))
    if (std::regex_match(line, match, row)) listed[match[1]] = match[2];
  EXPECT_EQ(listed, files);
  EXPECT_NE(text.find("No bench remembered"), std::string::npos) << text;
}

TEST(BenchList, TheRememberedBench) {
  const BackendRegistry registry = WithSimulator();
  MemorySettings settings;
  settings.Save("Veridane", "Settings", "Bench", "sim:scope-only");
  std::string text = BenchListText(registry, settings);
  EXPECT_NE(text.find("Remembered bench (used when no --bench is given): sim:scope-only\n"), std::string::npos) << text;

  // A bench this build cannot open (an adapter of a fuller build) is named with a warning.
  settings.Save("Veridane", "Settings", "Bench", "gpib:0");
  text = BenchListText(registry, settings);
  EXPECT_NE(text.find("gpib:0 (unknown to this build)\n"), std::string::npos) << text;
}

TEST(BenchList, SchemesWithoutListingsShipNothing) {
  BackendRegistry registry;
  BenchScheme adapter;
  adapter.name = "gpib";
  adapter.matches = [](std::string_view text) { return text.starts_with("gpib:"); };
  registry.Register(adapter);
  MemorySettings settings;
  settings.Save("Veridane", "Settings", "Bench", "gpib:0");
  EXPECT_EQ(BenchListText(registry, settings),
            "This build ships no benches; give a bench file or an adapter with --bench.\n"
            "Remembered bench (used when no --bench is given): gpib:0\n");
}

}  // namespace
}  // namespace veridane
