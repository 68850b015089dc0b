#pragma once
// Which bench the program talks to, chosen by a connection text: "sim" (the built-in healthy
// bench), "sim:NAME" (a shipped bench), a bench file "FILE.toml", or a GPIB adapter
// ("ni:0", "prologix:/dev/ttyUSB0", ...). The last choice given on the command line is
// remembered ("Veridane" / "Settings" / "Bench") and used when none is given.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/event_loop.h"
#include "platform/operator.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "sim/bench/bench.h"

namespace veridane {

inline constexpr std::string_view kDefaultBench = "sim";

enum class BenchKind {
  Simulated,  // a simulated bench: shipped or from a file
  Hardware,   // a real GPIB board or adapter
  Unknown,    // text that names nothing we know
};

struct BenchChoice {
  std::string text;        // as given or remembered
  BenchKind kind = BenchKind::Unknown;
  std::string benchName;   // Simulated: a shipped bench name or a bench file path
  bool fromSetting = false;  // remembered from an earlier run, not given this time

  bool Simulated() const { return kind == BenchKind::Simulated; }
};

BenchChoice ParseBenchChoice(std::string_view text);

// The command line's choice, else the remembered one, else "sim".
BenchChoice ChooseBench(const std::optional<std::string>& fromCommandLine, const Settings& settings);

// Keeps a choice made on the command line for the next run (a remembered one is left as is).
void RememberBench(Settings& settings, const BenchChoice& choice);

// Opens a simulated bench. Anything else - real hardware, an unknown text, a bench file with a
// mistake - is explained to the technician in a message box and ends the program.
std::unique_ptr<sim::Bench> OpenBench(const BenchChoice& choice, EventLoop& loop, Operator& op);

// Where "SI5020.cfg" and "<generator name>.dat" are read: the simulated bench's own folder, or
// the "InstrumentData" setting (default: the data folder + "/Instruments") on a real bench.
std::filesystem::path InstrumentDataFolderFor(const BenchChoice& choice, const sim::Bench* bench,
                                              const Settings& settings, const Paths& paths);

}  // namespace veridane
