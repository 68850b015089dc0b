#pragma once
// Result logs (.log, ours and the ones the Windows bench PCs wrote) read back into results, so
// that a lab's history starts with what it already has. The rows come back through the line
// expansion and their numbers are parsed from the columns; limits and steps are named as a
// live run names them, so imported and live points of one step land in one series.
#include <string>
#include <vector>

#include "results/results_store.h"

namespace veridane {

// A test as the log's headings name it.
struct ImportTest {
  int number = 0;
  std::string title;
};

struct ImportedRun {
  RunFacts facts;
  std::vector<StepResult> rows;
  // Tests whose table ends on a line that says more than the rows: failed on a finding (FAIL,
  // the line kept), or stopped by the technician ("not run"), as a live run records them.
  std::vector<RunTestOutcome> outcomes;
  int header = 0;  // which header of the file the run comes under (1 for the first)
};

struct LogImport {
  std::vector<ImportedRun> runs;
  // Rows that could not be read into a result ("line 12: <the row>"): outside any known test,
  // columns this reader does not know, or a row of a test whose verdict is missing or garbled.
  std::vector<std::string> skipped;
  std::string error;  // the file is no result log
};

// content: the .log file's bytes; source names the file in the runs; fileTime (ISO 8601) is
// taken when the header's date cannot be read.
LogImport ParseResultLog(const std::string& content, const std::string& source, const std::string& fileTime,
                         const std::vector<ImportTest>& tests);

struct ImportOutcome {
  int added = -1;       // runs added; -1 when the file or the store failed (error says why)
  int alreadyStored = 0;  // runs found in the store already (recorded live, or imported before)
  std::vector<std::string> skipped;  // as LogImport::skipped
  std::string error;
};

// Reads the file and stores its runs unless they are stored already. A run is stored already
// when a run of the same scope (model and serial) whose rows, in this order, stand together in
// the log under one header started between the header's time and the file's last change: the
// live run that wrote them, or an earlier import of the log (from any path). Runs imported into
// the simulated bench's store are marked simulated, as everything there is.
ImportOutcome ImportResultLog(ResultsStore& store, const std::string& path, const std::vector<ImportTest>& tests,
                              bool simulatedStore = false);

}  // namespace veridane
