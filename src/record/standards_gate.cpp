#include "record/standards_gate.h"

#include <filesystem>

#include "instruments/instrument_roles.h"
#include "platform/text8.h"

namespace veridane {

namespace {

// A settings key from free text: QSettings takes "/" as a group and drops some characters.
std::string ChoiceKey(const std::string& bench, const std::string& model) {
  std::string key = "Choice_";
  for (char c : bench + "_" + UpperCase(model))
    key += (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ? c : '_';
  return key;
}

}  // namespace

std::optional<StandardsRegister> FindStandardsRegister(const StandardsSource& source) {
  if (!source.commandLineFile.empty()) return LoadStandardsRegister(source.commandLineFile);
  if (!source.shippedText.empty()) return ParseStandardsRegister(source.shippedText, kShippedRegisterName);
  if (!source.settingFile.empty()) return LoadStandardsRegister(source.settingFile);
  if (!source.dataFolder.empty()) {
    const std::filesystem::path file = std::filesystem::path(source.dataFolder) / "standards.toml";
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored)) return LoadStandardsRegister(file.string());
  }
  return std::nullopt;
}

StandardsGate CheckBenchStandards(const std::optional<StandardsRegister>& reg, const std::vector<BenchInstrument>& bench,
                                  const std::map<std::string, std::string>& chosen, std::chrono::year_month_day today) {
  StandardsGate gate;
  if (!reg) {
    // Without a register the run still says what it was made with, and that nobody vouched for it.
    for (const BenchInstrument& instrument : bench)
      gate.used.push_back(StandardUsed{instrument.role, instrument.model, "", "", "", "", "", "no register"});
    return gate;
  }
  gate.registerFile = reg->file;
  gate.uses = CheckStandards(*reg, bench, chosen, today);
  gate.blocking = Blocking(gate.uses);
  gate.problems = StandardProblems(gate.uses);
  for (const StandardUse& use : gate.uses) {
    StandardUsed used{use.instrument.role, use.instrument.model, "", "", "", "", "", StateText(use)};
    if (use.standard) {
      used.serial = use.standard->serial;
      used.asset = use.standard->asset;
      used.certificate = use.standard->certificate;
      used.calibrated = IsoDate(use.standard->calibrated);
      used.due = IsoDate(use.standard->due);
      // Only what the instrument does in its role: a calibration generator's amplitude figure is
      // no DC voltage the calibrator sets.
      for (const UncertaintyFigure& figure : use.standard->uncertainty)
        if (RoleServes(use.instrument.role, figure.function)) gate.uncertainties.push_back(figure);
    }
    gate.used.push_back(std::move(used));
  }
  return gate;
}

bool ParseStandardChoice(const std::string& text, std::string& model, std::string& asset) {
  const size_t equals = text.rfind('=');
  if (equals == std::string::npos) return false;
  model = Trim(text.substr(0, equals));
  asset = Trim(text.substr(equals + 1));
  return !model.empty() && !asset.empty();
}

std::map<std::string, std::string> RememberedStandardChoices(const Settings& settings, const std::string& bench,
                                                             const std::vector<StandardUse>& uses) {
  std::map<std::string, std::string> chosen;
  for (const StandardUse& use : uses) {
    const std::string asset = settings.Get("Veridane", "Standards", ChoiceKey(bench, use.instrument.model), "");
    if (!asset.empty()) chosen[use.instrument.model] = asset;
  }
  return chosen;
}

void RememberStandardChoice(Settings& settings, const std::string& bench, const std::string& model,
                            const std::string& asset) {
  settings.Save("Veridane", "Standards", ChoiceKey(bench, model), asset);
}

}  // namespace veridane
