// A whole headless run on the simulated bench: start-up, the tests and the orderly exit, with
// every wait on the virtual clock. The target is well under a second of CPU per run.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "shell/command_line.h"
#include "ui/console/headless.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "test/support/test_backends.h"

namespace {

using namespace veridane;

void RunOnce(benchmark::State& state, const std::vector<std::string>& args) {
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "veridane_benchmark";
  std::filesystem::create_directories(root);
  const CommandLine options = ParseCommandLine(args);
  const BackendRegistry registry = veridane::testing::TestBackends();
  for (auto _ : state) {
    MemorySettings settings;
    Paths paths(root.string());
    std::ostringstream out, messages;
    int code = RunHeadless(registry, options, settings, paths, out, messages);
    if (code != kExitPassed) state.SkipWithError(("exit code " + std::to_string(code)).c_str());
    benchmark::DoNotOptimize(out.str().size());
  }
}

void FullSequenceAuto(benchmark::State& state) {
  RunOnce(state, {"--headless", "--bench", "sim", "--run", "full"});
}
BENCHMARK(FullSequenceAuto)->Unit(benchmark::kMillisecond);

void FullSequenceVirtualTechnician(benchmark::State& state) {
  RunOnce(state, {"--headless", "--bench", "sim:scope-only", "--technician", "virtual", "--run", "full"});
}
BENCHMARK(FullSequenceVirtualTechnician)->Unit(benchmark::kMillisecond);

}  // namespace
