#pragma once
// The window operations start-up and exit need beyond what the tests' MainView offers: the
// scope label, the splash and the About box. The Qt window and the
// headless console implement it; the tests record it.
#include <cstdint>
#include <string_view>

namespace veridane {

class ShellView {
 public:
  virtual ~ShellView() = default;

  // Label1 of the main window: scope model and firmware.
  virtual void SetLabel1(std::string_view text) = 0;
  // The splash window, modal, for the given seconds (1 or more); returns once it has closed.
  virtual void Intro(int16_t seconds) = 0;
  // The program's About box, modal; returns once it has closed.
  virtual void ShowAbout() = 0;
};

}  // namespace veridane
