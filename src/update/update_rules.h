#pragma once
// What the About box's update check tells the technician, decided from the versions file alone
// (no network here). The versions file has one entry per line, "Program: 1.7"; a comma ends an
// entry as well. The first entry that contains the program's title, in any case, is the one
// that counts; its version compares as a decimal number (1.10 is below 1.6).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/box_style.h"

namespace veridane {

enum class VersionsFile {
  kDownloadFailed,  // the site did not give it (no network, no server, 404, timeout)
  kMissing,         // downloaded, but not there to read
  kRead,            // downloaded and read
};

struct UpdateMessage {
  std::string text;
  BoxStyle style;
  std::string caption;
  // Any answer but No opens the program's homepage.
  bool offersHomepage = false;
};

// The entries of a versions file: split at LF, CR and comma, blanks and tabs trimmed at both ends.
std::vector<std::string> VersionsEntries(std::string_view content);

// The first entry containing the title, compared without regard to case.
std::optional<std::string> MatchingEntry(std::string_view content, std::string_view applicationTitle);

// The message for the outcome of a check; content is the versions file when it was read.
UpdateMessage UpdateVerdict(VersionsFile outcome, std::string_view content, std::string_view applicationTitle,
                            std::string_view versionString);

// The message when no site for updates is set: nothing to download and no homepage to offer.
UpdateMessage NoUpdateSiteMessage(std::string_view versionString);

}  // namespace veridane
