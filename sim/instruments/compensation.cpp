#include "sim/instruments/compensation.h"

#include "platform/numbers.h"
#include "platform/text8.h"

namespace veridane::sim {

int CompensationPairs(const GeneratorModel& model) { return model.code == 5030 ? 12 : 22; }

double CompensationFrequencyHz(int entry) {
  if (entry <= 0) return 50e3;
  if (entry == 1) return 1e6;
  return (entry - 1) * 50e6;
}

std::vector<CompensationPair> CompensationTable(const LevelledGenerator& generator) {
  bool sg5030 = generator.Model().code == 5030;
  double reference = sg5030 ? 3.0 : 2.4;
  std::vector<CompensationPair> table;
  for (int entry = 0; entry < CompensationPairs(generator.Model()); ++entry) {
    double flatness = generator.Flatness(CompensationFrequencyHz(entry));
    double row0 = reference / flatness;
    table.push_back({row0, sg5030 ? 5.0 / flatness : row0});
  }
  return table;
}

std::string CompensationFileText(const LevelledGenerator& generator, int pairs) {
  std::vector<CompensationPair> table = CompensationTable(generator);
  if (pairs >= 0 && pairs < static_cast<int>(table.size())) table.resize(pairs);
  std::string text;
  for (const CompensationPair& pair : table) {
    // Written with a zero before the point, as a measuring technician's file would be.
    auto number = [](double value) {
      std::string t = Trim(PlainText(static_cast<float>(value)));
      return t.front() == '.' ? "0" + t : t;
    };
    text += number(pair.row0) + "," + number(pair.row1) + "\r\n";
  }
  return text;
}

std::string GeneratorFileStem(const LevelledGenerator& generator) {
  const GeneratorModel& model = generator.Model();
  switch (model.language) {
    case GeneratorLanguage::Scpi:
      return "R&S " + model.name;
    case GeneratorLanguage::Fluke:
      return "Fluke " + model.idReply;
    case GeneratorLanguage::Tm5000:
      break;
  }
  return model.name;
}

}  // namespace veridane::sim
