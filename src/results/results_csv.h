#pragma once
// Stored rows as a CSV file, one line per measured row with its run's facts, for a spreadsheet
// or the lab's quality system. Numbers carry every digit the store has, with a decimal point
// whatever the locale; the file is Windows-1252 with CR LF like every file the program writes.
#include <string>
#include <vector>

#include "results/results_store.h"

namespace veridane {

std::string ResultsCsvText(const std::vector<StoredRow>& rows);
// Replaces the file whole; false with error when it cannot be written.
bool WriteResultsCsv(const std::string& path, const std::vector<StoredRow>& rows, std::string& error);

}  // namespace veridane
