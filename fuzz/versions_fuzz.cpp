// The update check's versions file: any download gives the technician one of the check's
// messages, and the entry that counts really names the program.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "update/update_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  fuzz::Input input(data, size);
  const std::string title = input.TakeUntil('\0');
  const std::string version = input.TakeUntil('\0');
  const std::string content = input.Rest();

  for (const std::string& entry : VersionsEntries(content)) {
    if (entry.find_first_of("\r\n,") != std::string::npos) fuzz::Broken("an entry across a separator");
    if (!entry.empty() && (entry.front() == ' ' || entry.back() == ' ' || entry.front() == '\t' || entry.back() == '\t'))
      fuzz::Broken("an entry not trimmed");
  }
  if (const auto entry = MatchingEntry(content, title)) {
    auto lower = [](std::string text) {
      std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
      return text;
    };
    if (lower(*entry).find(lower(title)) == std::string::npos) fuzz::Broken("a matching entry without the title");
  }
  for (VersionsFile outcome : {VersionsFile::kDownloadFailed, VersionsFile::kMissing, VersionsFile::kRead}) {
    const UpdateMessage message = UpdateVerdict(outcome, content, title, version);
    if (message.text.empty()) fuzz::Broken("an update check that says nothing");
  }
  return 0;
}
