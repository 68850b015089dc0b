#include "shell/bench_choice.h"

#include "platform/text8.h"

namespace veridane {

namespace {

std::string Remembered(const BenchChoice& choice) {
  return choice.fromSetting ? "\n(This bench was remembered from an earlier run; start with --bench sim to "
                              "choose another.)"
                            : "";
}

}  // namespace

BenchChoice ChooseBench(const BackendRegistry& registry, const std::optional<std::string>& fromCommandLine,
                        const Settings& settings) {
  BenchChoice choice;
  choice.fromSetting = !fromCommandLine.has_value();
  choice.text = fromCommandLine ? *fromCommandLine
                                : settings.Get("Veridane", "Settings", "Bench", std::string(kDefaultBench));
  choice.scheme = registry.Find(choice.text);
  return choice;
}

void RememberBench(Settings& settings, const BenchChoice& choice) {
  if (!choice.fromSetting) settings.Save("Veridane", "Settings", "Bench", choice.text);
}

std::unique_ptr<OpenedBench> OpenBench(const BackendRegistry& registry, const BenchChoice& choice, EventLoop& loop,
                                       const Settings& settings) {
  const std::string shown = "\"" + Text8FromUtf8(choice.text) + "\"";
  if (choice.scheme == nullptr) {
    const std::string hints = registry.Hints();
    throw BenchOpenError("Unknown bench " + shown +
                         ".\nUse sim, sim:NAME, a bench file (.toml), or a GPIB adapter such as gpib:0.\n" + hints +
                         Remembered(choice));
  }
  if (!choice.scheme->open) {
    throw BenchOpenError("Real GPIB hardware is not available in this build.\nThe bench " + shown +
                         " cannot be used; choose a simulated bench instead:\n"
                         "sim, sim:NAME or a bench file (.toml)." +
                         Remembered(choice));
  }
  try {
    return choice.scheme->open(choice.text, loop, settings);
  } catch (const BenchOpenError& error) {
    throw BenchOpenError(error.what() + Remembered(choice));
  }
}

std::filesystem::path InstrumentDataFolderFor(const OpenedBench& bench, const Settings& settings, const Paths& paths) {
  std::filesystem::path own = bench.InstrumentDataFolder();
  if (!own.empty()) return own;
  Paths real = paths;
  real.SetSimulated(false);
  return settings.Get("Veridane", "Settings", "InstrumentData", real.DataFolder() + "/Instruments");
}

}  // namespace veridane
