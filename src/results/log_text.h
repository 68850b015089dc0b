#pragma once
// A result log as people read it: the .log's compacted rows expanded to their columns, in
// UTF-8 with plain line ends, and each session of the log (its creation, every append) headed
// by the date and time it began, where those are known. The .log itself is never changed:
// other benches read it as it is.
#include <string>
#include <string_view>
#include <vector>

namespace veridane {

// Where a session of the log begins: its first line (0-based, in the .log's lines) and when.
struct LogSessionMark {
  int firstLine = 0;
  std::string openedAt;  // ISO 8601 ("2026-12-07T18:03:12+01:00"); shown as "2026-12-07 18:03:12"
  bool created = false;  // the log was created then (else: appended to)
};

// The number of lines of a .log's content, as the sessions count them.
int LogLineCount(std::string_view logContent);

// The readable text (UTF-8, LF). Marks whose line lies beyond the log, or that do not follow
// each other, belong to another file of that name and are left out; `marked` gets how many
// were shown.
std::string LogAsText(std::string_view logContent, const std::vector<LogSessionMark>& sessions,
                      int* marked = nullptr);

}  // namespace veridane
