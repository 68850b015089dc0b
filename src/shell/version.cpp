#include "shell/version.h"

namespace veridane {

std::string VersionStringFor(int major, int minor, int revision) {
  std::string version = std::to_string(major) + "." + std::to_string(minor) + std::to_string(revision);
  if (!version.empty() && version.back() == '0') version.pop_back();
  return version;
}

std::string VersionString() {
  return VersionStringFor(VERIDANE_VERSION_MAJOR, VERIDANE_VERSION_MINOR, VERIDANE_VERSION_PATCH);
}

std::string MainTitleFor(const std::string& versionString) {
  return std::string(kApplicationTitle) + ", v" + versionString + " - " + kVersionDate + " / QZ";
}

std::string MainTitle() { return MainTitleFor(VersionString()); }

std::string ModuleVersionText() { return "2025-02-21 - v" + VersionString(); }

}  // namespace veridane
