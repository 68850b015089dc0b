#pragma once
// The program's version texts, built from the version numbers the build defines.
#include <string>

namespace veridane {

// Major "." minor, then the revision appended without separator; one trailing "0" is dropped
// (1.1.0 -> "1.1", 1.1.5 -> "1.15", 2.0.0 -> "2.0", 1.2.10 -> "1.21").
std::string VersionStringFor(int major, int minor, int revision);

// The same for this build.
std::string VersionString();

inline constexpr const char* kVersionDate = "Feb 2025";
inline constexpr const char* kApplicationTitle = "Veridane";
inline constexpr const char* kShortAppName = "Veridane";

// "Veridane, v1.1 - Feb 2025 / QZ": the main window's caption.
std::string MainTitleFor(const std::string& versionString);
std::string MainTitle();

// "2025-02-21 - v1.1": the main program's line in the module versions box.
std::string ModuleVersionText();

}  // namespace veridane
