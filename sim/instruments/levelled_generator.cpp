#include "sim/instruments/levelled_generator.h"

#include <cmath>
#include <utility>

#include "platform/text8.h"
#include "sim/instruments/command_text.h"
#include "sim/instruments/generator_languages.h"

namespace veridane::sim {

double RmsFromVpp(double vpp) { return vpp / (2.0 * std::sqrt(2.0)); }
double VppFromRms(double rms) { return rms * 2.0 * std::sqrt(2.0); }
double RmsFromDbm(double dbm) { return std::sqrt(50.0 * 1e-3 * std::pow(10.0, dbm / 10.0)); }
double DbmFromRms(double rms) { return 10.0 * std::log10(rms * rms / 50.0 / 1e-3); }

const std::vector<GeneratorModel>& GeneratorModels() {
  // Levels: SME -144 dBm to +16 dBm (with overrange), Fluke 606x up to 1 V rms, SG 5030
  // 4 mV to 5.5 V p-p; all into 50 ohm.
  static const std::vector<GeneratorModel> models = {
      {"SG 5030", 5030, GeneratorLanguage::Tm5000, "ID TEK/SG5030,V81.1,F1.0", 1e3, 550e6, 0.004, 5.5, -0.05, -0.04},
      {"SME02", 2000, GeneratorLanguage::Scpi, "ROHDE&SCHWARZ,SME02,831870/011,5.31", 5e3, 1.5e9, 4e-8, 3.99,
       -0.04, 0.01},
      {"SME03", 3000, GeneratorLanguage::Scpi, "ROHDE&SCHWARZ,SME03,832190/005,5.31", 5e3, 3e9, 4e-8, 3.99,
       -0.04, 0.01},
      {"SME06", 6000, GeneratorLanguage::Scpi, "ROHDE&SCHWARZ,SME06,834003/009,5.31", 5e3, 6e9, 4e-8, 3.99,
       -0.04, 0.01},
      {"Fluke 6060", 6060, GeneratorLanguage::Fluke, "6060B", 10e3, 1.05e9, 2e-7, VppFromRms(1.0), 0.05, -0.02},
      {"Fluke 6061", 6061, GeneratorLanguage::Fluke, "6061B", 10e3, 1.05e9, 2e-7, VppFromRms(1.0), 0.05, -0.02},
      {"Fluke 6062", 6062, GeneratorLanguage::Fluke, "6062A", 10e3, 2.1e9, 2e-7, VppFromRms(1.0), 0.05, -0.02},
  };
  return models;
}

namespace {
std::string Squeezed(std::string_view text) {
  std::string out;
  for (char c : UpperCase(text)) {
    if (c != ' ') out += c;
  }
  return out;
}
}  // namespace

const GeneratorModel* FindGeneratorModel(std::string_view name) {
  std::string wanted = Squeezed(name);
  for (const GeneratorModel& model : GeneratorModels()) {
    if (Squeezed(model.name) == wanted) return &model;
  }
  return nullptr;
}

LevelledGenerator::LevelledGenerator(GeneratorModel model)
    : InstrumentDevice(model.name, model.language == GeneratorLanguage::Scpi ? "\n" : "\r\n"),
      model_(std::move(model)) {
  LevelledGenerator::Preset();
}

double LevelledGenerator::Flatness(double hz) const {
  double ghz = hz / 1e9;
  return 1.0 + model_.flatness1 * ghz + model_.flatness2 * ghz * ghz;
}

bool LevelledGenerator::SetFrequency(double hz) {
  if (!(hz >= model_.minHz && hz <= model_.maxHz)) return false;
  frequencyHz_ = hz;
  relativeError_ = errors_.Draw(1);
  return true;
}

bool LevelledGenerator::SetLevelVpp(double vpp) {
  // A relative margin so that a level sent as 7 significant digits at the limit still counts.
  if (!(vpp >= model_.minVpp * (1 - 1e-6) && vpp <= model_.maxVpp * (1 + 1e-6))) return false;
  levelVpp_ = vpp;
  relativeError_ = errors_.Draw(1);
  return true;
}

void LevelledGenerator::Preset() {
  outputOn_ = false;
  frequencyHz_ = 50e3;
  levelVpp_ = 0.01;
}

Signal LevelledGenerator::Output() const {
  Signal signal;
  if (!outputOn_) return signal;
  signal.kind = Signal::Kind::Sine;
  signal.frequencyHz = OutputHz();
  signal.vpp = levelVpp_ * Flatness(signal.frequencyHz) * (1 + relativeError_);
  return signal;
}

bool LevelledGenerator::SetFrequencyChecked(double hz) {
  if (SetFrequency(hz)) return true;
  CommandError("frequency out of range: " + AnswerNumber(hz) + " Hz");
  return false;
}

bool LevelledGenerator::SetLevelChecked(double vpp) {
  if (SetLevelVpp(vpp)) return true;
  CommandError("level out of range: " + AnswerNumber(vpp) + " V p-p");
  return false;
}

std::unique_ptr<LevelledGenerator> MakeGenerator(const GeneratorModel& model) {
  std::unique_ptr<LevelledGenerator> generator;
  switch (model.language) {
    case GeneratorLanguage::Tm5000:
      generator = std::make_unique<Sg5030>(model);
      break;
    case GeneratorLanguage::Scpi:
      generator = std::make_unique<RsSme>(model);
      break;
    case GeneratorLanguage::Fluke:
      generator = std::make_unique<Fluke606x>(model);
      break;
  }
  // The base constructor cannot reach the language's own power-on state.
  generator->Preset();
  return generator;
}

}  // namespace veridane::sim
