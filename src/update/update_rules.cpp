#include "update/update_rules.h"

#include "platform/numbers.h"
#include "platform/operator.h"

namespace veridane {

namespace {

constexpr const char* kClosingQuestion = "Goto the Program Homepage for info ?";

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string Caption(std::string_view versionString) { return "Current Version: " + std::string(versionString); }

UpdateMessage Offer(std::string_view firstLine, std::string_view versionString) {
  return {std::string(firstLine) + "\n\n" + kClosingQuestion, kYesNo, Caption(versionString), true};
}

}  // namespace

std::vector<std::string> VersionsEntries(std::string_view content) {
  std::vector<std::string> entries;
  size_t start = 0;
  for (size_t i = 0; i <= content.size(); ++i) {
    if (i < content.size() && content[i] != '\n' && content[i] != '\r' && content[i] != ',') continue;
    // A CR LF pair is one line end, not an empty entry between them.
    const bool lfAfterCr = i < content.size() && content[i] == '\n' && i > 0 && content[i - 1] == '\r';
    if (!lfAfterCr) entries.push_back(TrimBlanks(content.substr(start, i - start)));
    start = i + 1;
  }
  if (!entries.empty() && entries.back().empty()) entries.pop_back();  // the last line's end
  return entries;
}

std::optional<std::string> MatchingEntry(std::string_view content, std::string_view applicationTitle) {
  const std::string title = LowerCase(applicationTitle);
  for (const std::string& entry : VersionsEntries(content)) {
    if (LowerCase(entry).find(title) != std::string::npos) return entry;
  }
  return std::nullopt;
}

UpdateMessage UpdateVerdict(VersionsFile outcome, std::string_view content, std::string_view applicationTitle,
                            std::string_view versionString) {
  if (outcome == VersionsFile::kDownloadFailed) return Offer("Web Datafile not found.", versionString);
  if (outcome == VersionsFile::kMissing) return Offer("Downloaded Datafile not foud.", versionString);

  const std::optional<std::string> match = MatchingEntry(content, applicationTitle);
  if (match && *match != applicationTitle) {
    const size_t colon = match->find(':');
    if (colon == std::string::npos || colon + 1 < match->size()) {
      const std::string newVersion = colon == std::string::npos ? *match : match->substr(colon + 1);
      if (NumericValue(newVersion) > NumericValue(versionString)) {
        return Offer("A newer version  ( " + newVersion + " )  is available.", versionString);
      }
      return {"This is the latest version.", kOkOnly, Caption(versionString), false};
    }
  }
  return Offer("Data for this program not found.", versionString);
}

UpdateMessage NoUpdateSiteMessage(std::string_view versionString) {
  return {"Web Datafile not found.\n\nNo web site for updates is set (UpdateSite in the section Settings).",
          kOkOnly, Caption(versionString), false};
}

}  // namespace veridane
