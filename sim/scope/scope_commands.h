#pragma once
// The command table of the simulated scope: one row per header, with its set handler, its
// query handler, and whether it takes part in compound queries such as "ACQ?" and "SET?".
// Headers are patterns: the capitalised part is the short form, "<x>" a numeric suffix.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/scope/command_parser.h"
#include "sim/scope/scope_core.h"

namespace veridane::sim {

using Suffixes = std::array<int, 5>;  // the numeric suffix of each header node (1 when none)
using Arguments = std::vector<ScopeArgument>;

enum class Outcome { Ok, CommandError, ExecutionError, OutOfRange };

struct CommandEntry {
  std::vector<std::string_view> path;
  Outcome (*set)(ScopeCore&, const Suffixes&, const Arguments&) = nullptr;
  // The value part of the reply; nothing when the scope cannot answer in its present state.
  std::optional<std::string> (*get)(ScopeCore&, const Suffixes&) = nullptr;
  bool inCompound = true;
  bool bareHeader = false;  // replies as "ID ..." rather than ":ID ..."
};

// A table row with the suffixes of one use of it ("CH2:SCA" is the CH<x>:SCAle row with 2).
struct CommandLeaf {
  const CommandEntry* entry;
  Suffixes suffixes;
};

const std::vector<CommandEntry>& ScopeCommandTable();

// Parts of the table, one per area.
void AddSystemCommands(std::vector<CommandEntry>& table);
void AddVerticalCommands(std::vector<CommandEntry>& table);
void AddMeasureCommands(std::vector<CommandEntry>& table);
void AddWaveformCommands(std::vector<CommandEntry>& table);

// The largest suffix a header node accepts ("CH<x>" 2, "MEAS<x>" 4).
int SuffixLimit(std::string_view pattern);

// Argument readers for the handlers: nothing when the arguments do not fit.
std::optional<double> NumberArgument(const Arguments& arguments);
std::optional<bool> BooleanArgument(const Arguments& arguments);
std::optional<size_t> ChoiceArgument(const Arguments& arguments, const std::vector<std::string_view>& choices);

// Reply helpers.
inline std::string Flag(bool on) { return on ? "1" : "0"; }

// Clamps into [low, high]; Outcome::OutOfRange when it had to.
Outcome Clamped(double value, double low, double high, double& target);
// The nearest value of a 1-2-5 (or other) sequence of mantissas within [low, high].
double NearestStep(double value, const std::vector<double>& mantissas, double low, double high);

}  // namespace veridane::sim
