#include "shell/bench_choice.h"

#include <algorithm>

#include "platform/text8.h"
#include "sim/bench/bench_file.h"
#include "sim/bench/shipped_benches.h"

namespace veridane {

namespace {

constexpr std::string_view kHardwareSchemes[] = {"ni:", "linux-gpib:", "prologix:", "prologix-tcp:", "ar488:"};

std::string ShippedList() {
  std::string list;
  for (const std::string& name : sim::ShippedBenchNames()) list += (list.empty() ? "" : ", ") + name;
  return list;
}

std::string Remembered(const BenchChoice& choice) {
  return choice.fromSetting ? "\n(This bench was remembered from an earlier run; start with --bench sim to "
                              "choose another.)"
                            : "";
}

[[noreturn]] void Refuse(Operator& op, const std::string& text) {
  op.ShowMessBox(text, kOkOnly + kCritical, "Bench");
  op.EndProgram();
  throw ProgramEnded();  // should an operator ever return from EndProgram
}

}  // namespace

BenchChoice ParseBenchChoice(std::string_view text) {
  BenchChoice choice;
  choice.text = std::string(text);
  if (text == "sim") {
    choice.kind = BenchKind::Simulated;
    choice.benchName = "default";
  } else if (text.starts_with("sim:")) {
    choice.benchName = std::string(text.substr(4));
    choice.kind = choice.benchName.empty() ? BenchKind::Unknown : BenchKind::Simulated;
  } else if (std::any_of(std::begin(kHardwareSchemes), std::end(kHardwareSchemes),
                         [&](std::string_view scheme) { return text.starts_with(scheme); })) {
    choice.kind = BenchKind::Hardware;
  } else if (text.ends_with(".toml") || text.find('/') != std::string_view::npos ||
             sim::ShippedBenchText(text).has_value()) {
    choice.kind = BenchKind::Simulated;
    choice.benchName = std::string(text);
  }
  return choice;
}

BenchChoice ChooseBench(const std::optional<std::string>& fromCommandLine, const Settings& settings) {
  if (fromCommandLine) return ParseBenchChoice(*fromCommandLine);
  BenchChoice choice = ParseBenchChoice(settings.Get("Veridane", "Settings", "Bench", kDefaultBench));
  choice.fromSetting = true;
  return choice;
}

void RememberBench(Settings& settings, const BenchChoice& choice) {
  if (!choice.fromSetting) settings.Save("Veridane", "Settings", "Bench", choice.text);
}

std::unique_ptr<sim::Bench> OpenBench(const BenchChoice& choice, EventLoop& loop, Operator& op) {
  const std::string shown = "\"" + Text8FromUtf8(choice.text) + "\"";
  switch (choice.kind) {
    case BenchKind::Hardware:
      Refuse(op, "Real GPIB hardware is not available in this build.\nThe bench " + shown +
                     " cannot be used; choose a simulated bench instead:\n"
                     "sim, sim:NAME or a bench file (.toml)." +
                     Remembered(choice));
    case BenchKind::Unknown:
      Refuse(op, "Unknown bench " + shown +
                     ".\nUse sim, sim:NAME, a bench file (.toml), or a GPIB adapter such as ni:0.\n"
                     "Shipped benches: " +
                     ShippedList() + Remembered(choice));
    case BenchKind::Simulated:
      break;
  }
  try {
    return sim::Bench::Open(choice.benchName, loop);
  } catch (const sim::BenchFileError& error) {
    Refuse(op, "The bench " + shown + " cannot be used:\n" + Text8FromUtf8(error.what()) + Remembered(choice));
  } catch (const std::exception& error) {
    Refuse(op, "The bench " + shown + " cannot be set up:\n" + Text8FromUtf8(error.what()) + Remembered(choice));
  }
}

std::filesystem::path InstrumentDataFolderFor(const BenchChoice& choice, const sim::Bench* bench,
                                              const Settings& settings, const Paths& paths) {
  if (choice.Simulated() && bench != nullptr) return bench->InstrumentDataFolder();
  Paths real = paths;
  real.SetSimulated(false);
  return settings.Get("Veridane", "Settings", "InstrumentData", real.DataFolder() + "/Instruments");
}

}  // namespace veridane
