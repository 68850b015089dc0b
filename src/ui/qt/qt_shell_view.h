#pragma once
// Start-up's window operations on the real main window: the scope label, the splash and the
// About box.
#include "shell/shell_view.h"

namespace veridane {

class MainForm;
class Settings;

class QtShellView : public ShellView {
 public:
  // settings: the program's, read by the About box's update check.
  QtShellView(MainForm& form, const Settings& settings) : form_(form), settings_(settings) {}

  void SetLabel1(std::string_view text) override;
  void Intro(int16_t seconds) override;
  void ShowAbout() override;

 private:
  MainForm& form_;
  const Settings& settings_;
};

}  // namespace veridane
