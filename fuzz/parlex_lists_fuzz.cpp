// Parlex's message lists: any file gives "<Help>" and its trimmed lines; saved and loaded again
// the list is the same; sorting keeps every entry; completion finds what it was asked for.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "parlex/message_text.h"
#include "platform/text8_file.h"

namespace {

// A "<Help>" line in a file shows the help like the list's own first entry and is not saved
// again: the lists compare without it.
std::vector<std::string> Messages(std::vector<std::string> entries) {
  std::erase(entries, std::string(veridane::parlex::kHelpEntry));
  return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  using namespace veridane::parlex;
  fuzz::Input input(data, size);
  const std::string file = input.TakeUntil('\0');
  const std::string typed = input.TakeUntil('\0');

  const std::vector<std::string> entries = EntriesFromLines(SplitText8Lines(file));
  if (entries.empty() || entries.front() != kHelpEntry) fuzz::Broken("a list without <Help> first");

  std::string saved;
  for (const std::string& line : LinesFromEntries(entries)) saved += line + "\r\n";
  if (Messages(EntriesFromLines(SplitText8Lines(saved))) != Messages(entries)) fuzz::Broken("a saved list loads back different");

  std::vector<std::string> sorted = SortedEntries(entries);
  if (sorted.empty() || sorted.front() != kHelpEntry) fuzz::Broken("sorting moved <Help>");
  std::vector<std::string> before = Messages(entries);
  sorted = Messages(sorted);
  std::sort(before.begin(), before.end());
  std::sort(sorted.begin(), sorted.end());
  if (before != sorted) fuzz::Broken("sorting lost or made up an entry");

  if (const auto found = FindCompletion(entries, typed)) {
    if (*found >= entries.size() || entries[*found].size() < typed.size()) fuzz::Broken("a completion too short");
  }
  if (const auto found = FindEntry(entries, typed)) {
    if (*found >= entries.size() || entries[*found].size() != typed.size()) fuzz::Broken("a match of another length");
  }
  // The incoming box: the answer whole, in pieces of 50 characters, each "AA: " ... CR LF.
  const std::string shown = IncomingLines(typed, input.Take<uint8_t>() % 31);
  const size_t pieces = (typed.size() + kIncomingLineWidth - 1) / kIncomingLineWidth;
  if (shown.size() != typed.size() + 6 * pieces) fuzz::Broken("an answer shown with more or less than it said");
  (void)QueryMessage(typed);
  return 0;
}
