#pragma once
// The compensation file of a levelled generator as the bench technician would have measured
// it: per frequency entry, the generator level that brings the reference level to the scope
// through the generator's flatness error. Row 0 is the ladder's reference level (3 V p-p on
// the SG 5030, 2.4 V p-p on the others), row 1 the SG 5030's 5 V level; the other models
// repeat row 0 there.
#include <string>
#include <vector>

#include "sim/instruments/levelled_generator.h"

namespace veridane::sim {

// Number of (row 0, row 1) pairs the program reads for the model: 12 or 22.
int CompensationPairs(const GeneratorModel& model);
// The frequency an entry is measured at: 50 kHz for entry 0, 1 MHz for entry 1,
// (k - 1) * 50 MHz above.
double CompensationFrequencyHz(int entry);

struct CompensationPair {
  double row0 = 0;
  double row1 = 0;
};
std::vector<CompensationPair> CompensationTable(const LevelledGenerator& generator);

// One pair a line, "row0,row1", CR LF line ends; `pairs` below the model's count writes a
// short (corrupt) file.
std::string CompensationFileText(const LevelledGenerator& generator, int pairs = -1);

// The file name stem the program looks for: "SG 5030", "R&S SME03", "Fluke 6061B".
std::string GeneratorFileStem(const LevelledGenerator& generator);

}  // namespace veridane::sim
