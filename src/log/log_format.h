#pragma once
// The two files of a log, as the bench PCs have always written them: the .log transcript
// (every displayed line, compacted, CR LF) and the .tst status file (the five test statuses
// in 15 characters, no line end). Pure text functions; the files themselves are handled by
// LogBook.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pv/frame/run_state.h"

namespace veridane {

// What the create dialog collected.
struct CreateLogEntries {
  std::string serial;
  std::string name;  // the log's name without extension
  std::string operatorName;
  std::string comments;
  bool idMode = false;  // "ID: " instead of "S/N: " on the first line
};

// Date and time as the header shows them: the short date of the bench's locale and the time
// as HH:MM (24-hour).
struct LogStamp {
  std::string date;
  std::string time;
};

// The eight header lines of a new log, before compaction.
std::vector<std::string> LogHeaderLines(std::string_view scopeModel, const CreateLogEntries& entries,
                                        const LogStamp& stamp);

using TestStatuses = std::array<TestOutcome, kMostTests + 1>;

// The statuses of tests 1 to `tests` in the file's codes: " 0  0  0  0  0 " for five tests
// not run; "-1 " for a failed one, "1 " for a passed one.
std::string StatusFileText(const TestStatuses& testStatus, int tests);

// The status files the first builds wrote hold five entries; every later one at least as many.
inline constexpr int kFirstStatusEntries = 5;

// Reads the statuses of tests 1 to `tests` (whole numbers separated by blanks, line ends or
// commas, each -1, 0 or 1). A file written when there were fewer tests reads too: the tests it
// does not name were not run. False, leaving the statuses alone, when fewer than five such
// numbers (or `tests`, if fewer) start the text.
bool ParseStatusFile(std::string_view text, TestStatuses& testStatus, int tests);

// The display text of a .log file's content: its lines expanded and joined by CR LF, no line
// end after the last.
std::string TranscriptFromLog(std::string_view content);

// What a log's header says about the scope and the people: the serial number or ID of line 1
// and the operator and comments of lines 5 and 7, each empty where the line was left to be
// filled in by hand (underscores) or is missing.
struct LogHeaderFacts {
  std::string serial;
  std::string operatorName;
  std::string comments;
};
LogHeaderFacts ReadLogHeader(std::string_view transcript);

// Windows-1252 upper case, as the bench PCs upper-case serial numbers: ASCII letters and the
// accented letters that have a capital in the code page; other bytes unchanged.
std::string UpperCase1252(std::string_view text);

}  // namespace veridane
