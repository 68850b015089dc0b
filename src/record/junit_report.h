#pragma once
// The results as JUnit XML, the report a lab's CI or MES already reads: a testsuite per test, a
// testcase per step, a failure element per step that failed (or gave no reading), a skipped
// testcase for a test that did not run.
#include <string>
#include <vector>

#include "record/run_record.h"

namespace veridane {

// UTF-8, ending with a line break.
std::string RunsJUnit(const std::vector<RunRecord>& records);

}  // namespace veridane
