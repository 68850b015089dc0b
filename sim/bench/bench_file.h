#pragma once
// Bench files: a simulated bench described in TOML. What the scope is and what is wrong with
// it, which instruments are on the bus at which addresses (or on the bench but set by hand),
// how the scanners and cables connect them to the scope, and which devices misbehave.
//
//   description = "..."
//   [scope]            model, firmware, address (1), seed, time_base_ppm, self_cal (0/1 or
//                      "pass"/"fail"), error_log = [...], noise_divisions, faults = {...};
//                      without [scope] no scope answers on the bus
//   [scope.ch1] [scope.ch2]   offset_error (V), gain_error (fraction), bandwidth_mhz
//   [scope.trigger]    ch1, ch2, ext: trigger sensitivity in volts at the connector
//   [[instrument]]     type ("SG 5030", "SME03", "Fluke 6061", "AT 5010", "CG 5011",
//                      "Fluke 5100B", "SI 5020", "SI 5010", or "generator", "calibrator",
//                      "time marks" for hand-set ones), address (none: set by hand),
//                      faults = { silent, slow (s), vanish_after (messages), garbage },
//                      generators: id, flatness = [per GHz, per GHz^2],
//                      comp_file = "written" | "missing" | "short"; time marks: ppm_error
//   [wiring]           generator_through_attenuator (true), terminated = ["CH1", ...],
//                      scanner_file = "written" | "missing" | "empty", scanner_file_text
//   [wiring.relays]    NAME = "CODES", as in the scanner configuration file
//   [[wiring.cable]]   source ("SG", "CALIB", "CGTR", "ATT"), input ("CH1", "CH2", "EXT"), ratio
//   [standard_errors]  seed: the calibrator, generator and time marks on the bus are off their
//                      settings by seeded errors of the spread the simulated register states
//
// Every mistake is reported as "<file>:<line>: <what>" through BenchFileError; unknown keys
// are mistakes too, so a misspelt fault is never silently ignored.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/bus/sim_bus.h"
#include "sim/scope/scope_config.h"
#include "sim/signal.h"

namespace veridane::sim {

// "<file>:<line>: <what>", or "<file>: <what>" for the file as a whole (line 0).
class BenchFileError : public std::runtime_error {
 public:
  BenchFileError(std::string file, int line, const std::string& what);
  const std::string& File() const { return file_; }
  int Line() const { return line_; }

 private:
  std::string file_;
  int line_;
};

enum class InstrumentKind { Generator, Attenuator, TimeMarks, Calibrator, Scanner };

struct InstrumentEntry {
  InstrumentKind kind = InstrumentKind::Generator;
  std::string type;            // the model name as the tables know it ("SG 5030", "SI 5020")
  std::optional<int> address;  // none: on the bench, set by hand
  DeviceFaults faults;
  int line = 0;
  // Generators.
  std::optional<std::string> id;
  std::optional<double> flatness1, flatness2;
  enum class CompFile { Written, Missing, Short } compFile = CompFile::Written;
  // Time-mark generators.
  double ppmError = 0;
};

struct CableEntry {
  std::string source;
  ScopeInput input = ScopeInput::Ch1;
  double ratio = 1;
};

struct BenchDescription {
  std::string file;  // where it came from, for messages
  std::string description;
  bool hasScope = true;  // false: no [scope], nothing answers at the scope's address
  ScopeConfig scope;
  int scopeAddress = 1;
  DeviceFaults scopeFaults;
  std::vector<InstrumentEntry> instruments;

  bool generatorThroughAttenuator = true;
  std::vector<ScopeInput> terminated;
  std::map<std::string, std::string> relays;
  enum class ScannerFile { Written, Missing, Empty } scannerFile = ScannerFile::Written;
  std::optional<std::string> scannerFileText;
  std::vector<CableEntry> cables;
  // Seeded true errors of the standards; none: the standards are exact.
  std::optional<uint64_t> standardErrorSeed;

  const InstrumentEntry* Find(InstrumentKind kind) const;
};

// A bench is a page or two of text; a bigger file is the wrong file and is not read at all.
inline constexpr std::size_t kBenchFileLimit = 1 << 20;

// `file` names the text in error messages.
BenchDescription ParseBenchText(std::string_view text, const std::string& file);
BenchDescription LoadBenchFile(const std::string& path);

// True when the bench misbehaves on purpose: a scope out of its limits, a device that is
// silent, slow, vanishing or garbling, a missing or spoilt instrument-data file. Such a bench
// is for rehearsing one failure, never one to start on by default.
bool InjectsFaults(const BenchDescription& desc);

}  // namespace veridane::sim
