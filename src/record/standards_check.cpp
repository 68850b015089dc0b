#include "record/standards_check.h"

#include <algorithm>
#include <ctime>

#include "instruments/instrument_roles.h"
#include "platform/text8.h"

namespace veridane {

namespace {

std::string Normalised(const std::string& model) {
  std::string out;
  for (char c : UpperCase(model))
    if (c != ' ' && c != '-' && c != '_') out += c;
  return out;
}

// "FLUKE5100A/B" -> {"FLUKE5100A", "FLUKE5100B"}: the alternatives share everything up to the
// character before the first slash.
std::vector<std::string> Variants(const std::string& normalised) {
  const size_t slash = normalised.find('/');
  if (slash == std::string::npos || slash == 0) return {normalised};
  const std::string stem = normalised.substr(0, slash - 1);
  std::vector<std::string> out{normalised, normalised.substr(0, slash)};
  size_t start = slash + 1;
  while (start <= normalised.size()) {
    size_t next = normalised.find('/', start);
    if (next == std::string::npos) next = normalised.size();
    out.push_back(stem + normalised.substr(start, next - start));
    start = next + 1;
  }
  return out;
}

}  // namespace

std::vector<BenchInstrument> BenchInstruments(const InstrumentRoles& roles) {
  std::vector<const RoleRow*> standards;
  for (const RoleRow& row : RoleTable())
    if (!row.standardRole.empty() && roles.*row.device != 0) standards.push_back(&row);
  std::stable_sort(standards.begin(), standards.end(),
                   [](const RoleRow* a, const RoleRow* b) { return a->standardsPlace < b->standardsPlace; });
  std::vector<BenchInstrument> out;
  for (const RoleRow* row : standards) out.push_back({std::string(row->standardRole), roles.*row->name});
  return out;
}

bool ModelMatches(const std::string& registerModel, const std::string& detectedModel) {
  const std::string wanted = Normalised(registerModel);
  if (wanted.empty()) return false;
  for (const std::string& variant : Variants(Normalised(detectedModel)))
    if (variant == wanted) return true;
  return false;
}

std::vector<StandardUse> CheckStandards(const StandardsRegister& reg, const std::vector<BenchInstrument>& instruments,
                                        const std::map<std::string, std::string>& chosen,
                                        std::chrono::year_month_day today) {
  std::vector<StandardUse> uses;
  for (const BenchInstrument& instrument : instruments) {
    StandardUse use;
    use.instrument = instrument;
    std::vector<const ReferenceStandard*> matches;
    for (const ReferenceStandard& standard : reg.standards)
      if (ModelMatches(standard.model, instrument.model)) matches.push_back(&standard);
    const ReferenceStandard* pick = matches.size() == 1 ? matches.front() : nullptr;
    if (matches.size() > 1) {
      for (const ReferenceStandard* candidate : matches) {
        use.candidates.push_back(candidate->asset);
        for (const auto& [model, asset] : chosen)
          if (ModelMatches(model, instrument.model) && UpperCase(candidate->asset) == UpperCase(asset)) pick = candidate;
      }
    }
    if (pick == nullptr) {
      use.state = matches.empty() ? StandardState::Unmatched : StandardState::Ambiguous;
    } else {
      use.standard = *pick;
      use.candidates.clear();
      use.daysToDue = static_cast<int>((std::chrono::sys_days(pick->due) - std::chrono::sys_days(today)).count());
      use.calibratedLater = std::chrono::sys_days(pick->calibrated) > std::chrono::sys_days(today);
      use.state = use.daysToDue < 0              ? StandardState::Overdue
                  : use.daysToDue <= kDueSoonDays ? StandardState::DueSoon
                                                  : StandardState::InCalibration;
    }
    uses.push_back(std::move(use));
  }
  return uses;
}

bool Blocking(const std::vector<StandardUse>& uses) {
  for (const StandardUse& use : uses)
    if (use.state == StandardState::Overdue || use.state == StandardState::Unmatched ||
        use.state == StandardState::Ambiguous)
      return true;
  return false;
}

std::string StateText(const StandardUse& use) {
  switch (use.state) {
    case StandardState::InCalibration:
      return "in calibration";
    case StandardState::DueSoon:
      return use.daysToDue == 0 ? "due today" : "due in " + std::to_string(use.daysToDue) + (use.daysToDue == 1 ? " day" : " days");
    case StandardState::Overdue:
      return "OVERDUE since " + IsoDate(use.standard->due);
    case StandardState::Unmatched:
      return "not in the register";
    case StandardState::Ambiguous: {
      std::string list;
      for (const std::string& asset : use.candidates) list += (list.empty() ? "" : ", ") + asset;
      return "several entries (" + list + "), none chosen";
    }
  }
  return {};
}

std::vector<std::string> StandardProblems(const std::vector<StandardUse>& uses) {
  std::vector<std::string> lines;
  for (const StandardUse& use : uses) {
    std::string line = use.instrument.role + " " + use.instrument.model;
    if (use.standard) line += " (asset " + use.standard->asset + ", due " + IsoDate(use.standard->due) + ")";
    if (use.calibratedLater)
      lines.push_back(line + ": calibrated " + IsoDate(use.standard->calibrated) + ", a date still to come; check the register");
    if (use.state != StandardState::InCalibration) lines.push_back(line + ": " + StateText(use));
  }
  return lines;
}

std::chrono::year_month_day LocalToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                     std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                     std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

}  // namespace veridane
