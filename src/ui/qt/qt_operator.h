#pragma once
// The technician at the screen: prompts through MessBox, progress through InfoForm.
#include <QPointer>
#include <functional>
#include <memory>

#include "ui/qt/info_form.h"
#include "platform/operator.h"

namespace veridane {

class QtOperator : public Operator {
 public:
  // mainWindow parents the boxes and anchors the info window; it may be set later.
  explicit QtOperator(QWidget* mainWindow = nullptr);
  ~QtOperator() override;

  void SetMainWindow(QWidget* mainWindow);
  // Whether a test or a sequence is under way: the Cancel or No of a box then ends it, and
  // Escape does not answer them.
  void SetWorkUnderWay(std::function<bool()> underWay) { underWay_ = std::move(underWay); }

  // The box opens over the main window, shown first if it is not yet on screen.
  using Operator::ShowMessBox;
  BoxAnswer ShowMessBox(std::string_view text, int16_t style, std::string_view caption) override;
  void ShowInfo(std::string_view text) override;
  void SetBusy(bool busy) override;
  // Throws ProgramEnded; the Qt entry point's EntryGuard catches it and quits.
  [[noreturn]] void EndProgram() override;

  InfoForm& Info() { return *info_; }
  bool Busy() const { return busy_; }

 private:
  void ShowMainWindowFirst();

  QPointer<QWidget> mainWindow_;
  std::unique_ptr<InfoForm> info_;
  std::function<bool()> underWay_;
  bool busy_ = false;
};

}  // namespace veridane
