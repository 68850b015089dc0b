#pragma once
// The main window's place and size from one run to the next, kept in the per-user settings
// (application "Veridane", section "Settings", key "WindowGeometry") as the window system's own
// record in base 64, so a maximised window comes back maximised.
#include <string_view>

class QWidget;

namespace veridane {

class Settings;

inline constexpr std::string_view kWindowGeometryKey = "WindowGeometry";

// Nothing remembered, or a record that is not one, leaves the window as it is. A remembered
// place that lies off today's screens is pulled back onto one by the window system.
void RestoreWindowGeometry(QWidget& window, const Settings& settings);
void SaveWindowGeometry(const QWidget& window, Settings& settings);

}  // namespace veridane
