#pragma once
// The generator compensation file: generator levels (V p-p) per frequency band that flatten
// the path from the generator through the attenuator to the scope input.
#include <array>
#include <cstddef>
#include <filesystem>
#include <string>

namespace veridane {

// Row 0 is the normal row; row 1 only serves the SG 5030's 5 V level. Entry 0 covers
// frequencies up to 0.1 MHz, entry k (1..21) the frequencies nearest to (k - 1) x 50 MHz.
using CompTable = std::array<std::array<float, 22>, 2>;

enum class CompFileError {
  None,
  NotFound,  // no such file
  Corrupt,   // fewer pairs than needed, or a value that is not a number
  Other,     // the file exists but cannot be read
};

// "<folder>/<generator name>.dat"
std::filesystem::path CompFilePath(const std::filesystem::path& instrumentDataFolder, const std::string& sgName);

// Reads `pairs` pairs (row 0 value, row 1 value) of decimal numbers separated by commas, blanks,
// tabs or line ends into entries 0.. of both rows. Values read before a failure stay in the
// table; anything after the last pair needed is ignored.
// `problem`, when given, receives a sentence naming the file for CompFileError::Other.
CompFileError ReadCompFile(const std::filesystem::path& path, int pairs, CompTable& table,
                           std::string* problem = nullptr);

// The same from the file's bytes: None or Corrupt.
CompFileError ParseCompData(const std::string& bytes, int pairs, CompTable& table);

// Two rows of 22 numbers fit in a few hundred bytes; a larger file is not a compensation file.
inline constexpr std::size_t kCompFileLimit = 64 * 1024;

}  // namespace veridane
