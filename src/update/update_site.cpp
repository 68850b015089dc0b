#include "update/update_site.h"

#include <cstdlib>

#include "platform/settings.h"
#include "platform/text8.h"

namespace veridane {

std::string UpdateSite(const Settings& settings) {
  std::string site = Trim(settings.Get("Veridane", "Settings", "UpdateSite", ""));
  while (!site.empty() && site.back() == '/') site.pop_back();
  if (!site.empty() && site.find("://") == std::string::npos) site = "https://" + site;
  return site;
}

std::string VersionsUrl(const std::string& site) { return site + "/dl/swv.txt"; }
std::string HomepageUrl(const std::string& site) { return site + "/dl/Veridane.htm"; }

std::string UpdateCacheFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache) return std::string(cache) + "/Veridane";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.cache/Veridane";
  return "./.cache/Veridane";
}

std::string VersionsFilePath(const std::string& cacheFolder) { return cacheFolder + "/versions.txt"; }

std::string MaintainerMailUrl(const std::string& applicationTitle) {
  std::string subject;
  for (char c : applicationTitle) subject += c == ' ' ? std::string("%20") : std::string(1, c);
  return std::string("mailto:") + kMaintainerAddress + "?subject=" + subject;
}

}  // namespace veridane
