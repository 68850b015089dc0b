#pragma once
// The main window's place and size from one run to the next, kept in the per-user settings
// (application "Veridane", section "Settings", key "WindowGeometry") as the window system's own
// record in base 64, so a maximised window comes back maximised.
#include <QObject>
#include <string_view>

class QRect;
class QWidget;

namespace veridane {

class Settings;

inline constexpr std::string_view kWindowGeometryKey = "WindowGeometry";

// Nothing remembered, or a record that is not one, leaves the window as it is. A remembered
// place that lies off today's screens is pulled back onto one by the window system.
void RestoreWindowGeometry(QWidget& window, const Settings& settings);
void SaveWindowGeometry(const QWidget& window, Settings& settings);

// The window's frame inside `area` (a screen's available area): a window larger than the area
// is made smaller, as far as its minimum size allows, and one that sticks out is moved in.
// Before the window system has put a frame around the window, room for one is assumed.
void FitWindowInto(QWidget& window, const QRect& area);
// The same on the screen the window is on.
void FitWindowToScreen(QWidget& window);

// Fits every window of the program to its screen as it is shown (remembered sizes, default
// sizes and dialogs alike), so that no button or status bar ends up off a small screen.
// Installed on the application.
class ScreenFit : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace veridane
