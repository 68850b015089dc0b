#pragma once
// What a calibration record needs to know about a run beyond the scope and the operator: whose
// unit it is, the conditions, the reference standards that set the values (and whether they were
// in calibration), and whether the results are the unit as it came in or as it goes back.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/test_outcome.h"

namespace veridane {

enum class RunLabel { AsFound, AsLeft };

// "as found" / "as left": how the store, the exports and the certificate name it.
std::string_view RunLabelName(RunLabel label);
// The label of a stored name; anything else is as found, the label nobody has to claim.
RunLabel RunLabelFromName(std::string_view name);

// One reference standard as the run used it: a copy of its register entry at the time (a
// register edited later does not rewrite what a run was made with).
struct StandardUsed {
  std::string role;   // "Calibrator", "Signal generator", ...
  std::string model;  // as detected on the bus
  std::string serial;
  std::string asset;
  std::string certificate;
  std::string calibrated;  // ISO dates; empty for an instrument the register does not hold
  std::string due;
  std::string state;  // "in calibration", "due in 12 days", "OVERDUE since ...", "not in the register"

  bool operator==(const StandardUsed&) const = default;
};

struct RunContext {
  std::string assetId;   // the unit's asset id at the customer or the lab
  std::string customer;  // optional
  std::optional<double> temperatureC;
  std::optional<double> humidityPercent;
  RunLabel label = RunLabel::AsFound;
  // The run was made although a standard was overdue, unmatched or not chosen.
  bool overdue = false;
  std::string standardsRegister;  // the register file the standards were taken from; empty: none
  std::vector<StandardUsed> standards;

  bool operator==(const RunContext&) const = default;
};

// What a result log's runs are recorded with beyond its header, kept by log in the results
// store: offered again when the log is opened to append to it.
struct LogContext {
  std::string operatorName;
  std::string customer;
  std::string assetId;
  std::optional<double> temperatureC;
  std::optional<double> humidityPercent;
  RunLabel label = RunLabel::AsFound;

  bool operator==(const LogContext&) const = default;
};

// How one test of a run ended. The store keeps its word (OutcomeWord: "PASS", "FAIL", or
// "not run" for a test stopped, not available on this scope or bench, or never started), so a
// test stored as stopped reads back as NotRun.
struct RunTestOutcome {
  int number = 0;
  std::string name;
  TestOutcome outcome = TestOutcome::NotRun;
  // The line the test failed on when no step of it could be measured to the end (a signal
  // that could not be set), as shown in its table; empty otherwise.
  std::string finding;

  bool operator==(const RunTestOutcome&) const = default;
};

}  // namespace veridane
