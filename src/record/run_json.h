#pragma once
// The results as JSON for a lab's systems: one document holding runs, each with its unit, its
// context, its standards and its tests with every step's numbers and verdict. The format is
// versioned and described in docs/results-format.md (JSON Schema: docs/results-format.schema.json).
#include <string>
#include <vector>

#include "record/run_record.h"

namespace veridane {

inline constexpr int kResultsFormatVersion = 1;

// The whole document, UTF-8, ending with a line break.
std::string RunsJson(const std::vector<RunRecord>& records, const std::string& generatedAt);

}  // namespace veridane
