#pragma once
// What the scope's error-log service commands answer: entries as double-quoted strings, the
// log ending at an empty string or, on the TDS 310 and later, at an entry starting with "0".
// Everything between the quoted strings (commas, a header) is not looked at.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veridane {

// The number in characters 5 to 7 of the model text ("TDS 340A" gives 340); 0 without digits.
int ModelNumber(std::string_view scopeModel);

// True when the entry marks the end of the log for a scope of that model number.
bool IsEndOfLog(std::string_view entry, int modelNumber);

// The entries of an "ERRLOG?" reply up to the end of the log. ended tells whether the reply
// itself reached the end (an empty or end entry, or no further complete quoted string).
struct FirstReply {
  std::vector<std::string> entries;
  bool ended = false;
};
FirstReply EntriesOfFirstReply(std::string_view reply, int modelNumber);

// The entry of an "ERRLOG:NEXT?" reply, or nothing when the log has ended there. A reply
// without a complete quoted string (a read that timed out gives an empty text) ends it too.
std::optional<std::string> EntryOfNextReply(std::string_view reply, int modelNumber);

}  // namespace veridane
