#pragma once
// Which register entry stands behind each instrument found on the bus, and whether it may be
// used today. A run is gated on the result: an overdue standard, or an instrument the register
// does not know (or knows more than once, without a choice), is named before any test.
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "record/standards_register.h"

namespace veridane {

struct InstrumentRoles;

// An instrument the verification takes values from, as detection named it.
struct BenchInstrument {
  std::string role;   // "Calibrator", "Signal generator", ...
  std::string model;  // "Fluke 5100A/B", "SG 5030", "CG 5011", ...
};

// The instruments start-up found (roles left empty are set by hand and have no model to match).
std::vector<BenchInstrument> BenchInstruments(const InstrumentRoles& roles);

enum class StandardState {
  InCalibration,
  DueSoon,     // due within kDueSoonDays: reported, not refused
  Overdue,     // past its due date
  Unmatched,   // no register entry has this model
  Ambiguous,   // several entries have it and none was chosen
};

inline constexpr int kDueSoonDays = 30;

struct StandardUse {
  BenchInstrument instrument;
  std::optional<ReferenceStandard> standard;  // absent when unmatched or ambiguous
  std::vector<std::string> candidates;         // assets to choose from when ambiguous
  StandardState state = StandardState::Unmatched;
  int daysToDue = 0;
  bool calibratedLater = false;  // the register dates its calibration after today: a typing error, said
};

// True when a register model names the instrument detection found: case, blanks and dashes
// do not count, and a detected "Fluke 5100A/B" is either of its variants.
bool ModelMatches(const std::string& registerModel, const std::string& detectedModel);

// `chosen`: asset per model (as detected or as the register names it), from --standard or the
// window's chooser; a choice naming no entry of that model is taken as no choice.
std::vector<StandardUse> CheckStandards(const StandardsRegister& reg, const std::vector<BenchInstrument>& instruments,
                                        const std::map<std::string, std::string>& chosen,
                                        std::chrono::year_month_day today);

// Any use that must stop a run unless the technician (or --allow-overdue) accepts it.
bool Blocking(const std::vector<StandardUse>& uses);
// "in calibration", "due in 12 days", "OVERDUE since 2026-11-30", "not in the register", ...
std::string StateText(const StandardUse& use);
// One line per blocking or due-soon use, for the start-up box and the headless messages.
std::vector<std::string> StandardProblems(const std::vector<StandardUse>& uses);

// Today's local date.
std::chrono::year_month_day LocalToday();

}  // namespace veridane
