#pragma once
// Whether the window program can expect a display, decided from the environment before any Qt
// object exists: without one Qt ends the process with an abort and advice to reinstall, which
// sends a technician the wrong way.
#include <functional>
#include <string_view>

namespace veridane {

// The value of an environment variable, nullptr when unset (std::getenv in the program).
using EnvironmentLookup = std::function<const char*(const char* name)>;

// True when QT_QPA_PLATFORM names a platform (offscreen, vnc, ... need no display server; an
// explicit choice is the user's to make) or DISPLAY or WAYLAND_DISPLAY is set. Empty values
// count as unset.
bool DisplayExpected(const EnvironmentLookup& environment);

// The one line the program prints, without a line end, when there is no display.
inline constexpr std::string_view kNoDisplayLine =
    "no display: run Veridane on a desktop, or use --headless; see --help";

}  // namespace veridane
