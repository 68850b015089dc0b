#pragma once
// The texts Parlex builds from messages: the Incoming Message box's lines and its size limit,
// the help text, and the rules of the Outgoing Message list (its file lines, matching and
// completion, sorting).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veridane::parlex {

inline constexpr std::string_view kHelpEntry = "<Help>";

// The Incoming Message box holds at most this many characters, counted with the line overhead.
constexpr size_t kIncomingLimit = 32768;
constexpr size_t kIncomingLineWidth = 50;

// The estimated size of an answer of n characters in the box: n plus 6 per line, the line count
// taken as n / 50 rounded half to even, plus one.
size_t IncomingEstimate(size_t n);

// The answer as the box shows it: lines of at most 50 characters, each "AA: " + part + CR LF,
// AA the last two digits of "0" + address. An empty answer gives no line.
std::string IncomingLines(std::string_view answer, int address);

// The help text, every line ended by CR LF.
std::string HelpText();

// "ID?", "*IDN?", "INIT", "FAC", "SET?".
std::vector<std::string> DefaultMessages();

// --- the Outgoing Message list; entry 0 is always kHelpEntry ---
// A list file's lines as entries: "<Help>" first, then each line trimmed of blanks.
std::vector<std::string> EntriesFromLines(const std::vector<std::string>& lines);
// The lines a list file gets: every entry but "<Help>", trimmed.
std::vector<std::string> LinesFromEntries(const std::vector<std::string>& entries);
// "<Help>" first, then the other entries in ascending order, letter case ignored; entries equal
// but for case keep their order.
std::vector<std::string> SortedEntries(const std::vector<std::string>& entries);
// The first entry (from 0) equal to text, letter case ignored.
std::optional<size_t> FindEntry(const std::vector<std::string>& entries, std::string_view text);
// The first entry (from 0) that begins with text, letter case ignored.
std::optional<size_t> FindCompletion(const std::vector<std::string>& entries, std::string_view text);

// The message of a query as it goes out: trimmed, its first "??" taken out.
bool IsQuery(std::string_view outgoingText);
std::string QueryMessage(std::string_view trimmedText);

}  // namespace veridane::parlex
