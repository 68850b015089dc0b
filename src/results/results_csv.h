#pragma once
// Stored rows as a CSV file, one line per measured row with its run's facts, for a spreadsheet
// or the lab's quality system. Numbers carry every digit the store has, with a decimal point
// whatever the locale. Unlike the logs, the file is UTF-8 (CR LF line ends), as spreadsheets and
// scripts read CSV; text cells that start like a formula are kept as text. The verdict column
// says FAIL for a row without a reading, as the result table does; the last column, reading,
// says "no reading" for it.
#include <string>
#include <vector>

#include "results/results_store.h"

namespace veridane {

std::string ResultsCsvText(const std::vector<StoredRow>& rows);
// Replaces the file whole; false with error (8-bit) when it cannot be written or the name is
// taken by something other than a regular file.
bool WriteResultsCsv(const std::string& path, const std::vector<StoredRow>& rows, std::string& error);

}  // namespace veridane
