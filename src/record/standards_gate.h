#pragma once
// The due-date gate of a run: which register applies, what it says about the instruments found
// on the bus, and what the run records of it.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings.h"
#include "record/standards_check.h"
#include "results/run_context.h"

namespace veridane {

// Where a register may come from, first found wins: --standards, the register a simulated
// bench ships, the setting StandardsFile, standards.toml in the data folder.
struct StandardsSource {
  std::string commandLineFile;
  std::string shippedText;
  std::string settingFile;
  std::string dataFolder;
};

inline constexpr const char* kShippedRegisterName = "(simulated bench register)";

// nullopt when no register is found anywhere (the lab keeps none: nothing is gated). Throws
// StandardsRegisterError for a register that is named or present but wrong.
std::optional<StandardsRegister> FindStandardsRegister(const StandardsSource& source);

struct StandardsGate {
  std::string registerFile;  // empty: no register
  std::vector<StandardUse> uses;
  bool blocking = false;               // overdue, unmatched or not chosen
  std::vector<std::string> problems;   // one line each, due-soon entries included
  std::vector<StandardUsed> used;      // what the run records
  // The uncertainty figures of the standards matched on the bench, for the steps' budgets.
  std::vector<UncertaintyFigure> uncertainties;
};

StandardsGate CheckBenchStandards(const std::optional<StandardsRegister>& reg, const std::vector<BenchInstrument>& bench,
                                  const std::map<std::string, std::string>& chosen, std::chrono::year_month_day today);

// "MODEL=ASSET" (--standard); false when there is no "=" or either side is empty.
bool ParseStandardChoice(const std::string& text, std::string& model, std::string& asset);

// The window's choice among entries sharing a model, remembered per bench.
std::map<std::string, std::string> RememberedStandardChoices(const Settings& settings, const std::string& bench,
                                                             const std::vector<StandardUse>& uses);
void RememberStandardChoice(Settings& settings, const std::string& bench, const std::string& model,
                            const std::string& asset);

}  // namespace veridane
