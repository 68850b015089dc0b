#pragma once
// Start-up's window operations on the real main window: the scope label, the splash and the
// About box.
#include "shell/shell_view.h"

namespace veridane {

class MainForm;

class QtShellView : public ShellView {
 public:
  explicit QtShellView(MainForm& form) : form_(form) {}

  void SetLabel1(std::string_view text) override;
  void Intro(int16_t seconds) override;
  void ShowAbout() override;

 private:
  MainForm& form_;
};

}  // namespace veridane
