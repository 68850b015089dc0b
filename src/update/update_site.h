#pragma once
// Where the update check looks: the web site is a setting ("Veridane" / "Settings" /
// "UpdateSite"), empty unless someone sets it, so a fresh installation never calls a host of
// its own accord. The downloaded versions file is kept in the user's cache folder.
#include <string>

namespace veridane {

class Settings;

// The site as set, without blanks or a trailing "/"; "https://" is put in front of a bare host
// name. Empty when no site is set.
std::string UpdateSite(const Settings& settings);

// The versions file and the homepage on the site.
std::string VersionsUrl(const std::string& site);
std::string HomepageUrl(const std::string& site);

// $XDG_CACHE_HOME/Veridane, else ~/.cache/Veridane.
std::string UpdateCacheFolder();

// The versions file inside the cache folder.
std::string VersionsFilePath(const std::string& cacheFolder);

// The maintainer's mail address, shown in the About box, and the link that writes to it with
// a subject naming the program.
inline constexpr const char* kMaintainerAddress = "maintainer@veridane.example";
std::string MaintainerMailUrl(const std::string& applicationTitle);

}  // namespace veridane
