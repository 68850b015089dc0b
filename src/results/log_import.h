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
  std::vector<ShownResult> rows;
};

struct LogImport {
  std::vector<ImportedRun> runs;
  int skippedRows = 0;  // judged rows of tests whose columns are not known, or unreadable
  std::string error;    // the file is no result log
};

// content: the .log file's bytes; source names the file in the runs; fileTime (ISO 8601) is
// taken when the header's date cannot be read.
LogImport ParseResultLog(const std::string& content, const std::string& source, const std::string& fileTime,
                         const std::vector<ImportTest>& tests);

// Reads the file and stores its runs unless they are stored already. Returns the number of
// runs added; -1 with error set when the file or the store failed.
int ImportResultLog(ResultsStore& store, const std::string& path, const std::vector<ImportTest>& tests,
                    std::string& error);

}  // namespace veridane
