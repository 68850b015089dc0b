#pragma once
// Which bench the program talks to, chosen by a connection text that the back-end registry
// knows ("sim", "sim:NAME", "FILE.toml", "gpib:0", "prologix:/dev/ttyUSB0", ...). The last
// choice given on the command line is remembered ("Veridane" / "Settings" / "Bench") and used
// when none is given.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "gpib/backends/backend_registry.h"
#include "platform/bench_backend.h"
#include "platform/event_loop.h"
#include "platform/paths.h"
#include "platform/settings.h"

namespace veridane {

inline constexpr std::string_view kDefaultBench = "sim";

struct BenchChoice {
  std::string text;                    // as given or remembered
  const BenchScheme* scheme = nullptr;  // nullptr: a text no back end knows
  bool fromSetting = false;            // remembered from an earlier run, not given this time

  bool Simulated() const { return scheme != nullptr && scheme->simulated; }
};

// The command line's choice, else the remembered one, else "sim".
BenchChoice ChooseBench(const BackendRegistry& registry, const std::optional<std::string>& fromCommandLine,
                        const Settings& settings);

// Keeps a choice made on the command line for the next run (a remembered one is left as is).
void RememberBench(Settings& settings, const BenchChoice& choice);

// Opens the chosen bench. A text no back end knows, a back end this build lacks, or a bench
// that cannot be opened throws BenchOpenError with the whole text for the technician.
std::unique_ptr<OpenedBench> OpenBench(const BackendRegistry& registry, const BenchChoice& choice, EventLoop& loop,
                                       const Settings& settings);

// Where "SI5020.cfg" and "<generator name>.dat" are read: the bench's own folder when it has
// one (a simulated bench), else the "InstrumentData" setting (default: the real data folder +
// "/Instruments").
std::filesystem::path InstrumentDataFolderFor(const OpenedBench& bench, const Settings& settings, const Paths& paths);

}  // namespace veridane
