// Puts the main window up as a technician sees it after a few tests: result rows in the
// display, the status list shown, one test failed (FAIL counter in red), a log file named.
//
//   app_view_demo                 stays up until the window is closed
//   app_view_demo shot.png        saves the screen to shot.png after a moment and ends
//   app_view_demo --splash|--about [shot.png]
//                                 the splash window (10 s) or the About box over the window
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <iostream>
#include <string>

#include "ui/qt/about_form.h"
#include "pv/catalogue.h"
#include "ui/qt/intro_form.h"
#include "ui/qt/main_form.h"
#include "ui/qt/qt_main_view.h"
#include "shell/version.h"
#include "platform/event_loop.h"
#include "platform/operator.h"
#include "pv/frame/result_display.h"
#include "pv/frame/test_frame.h"

namespace {

// The demo asks nothing; any question would be a surprise, so it says so and answers OK.
class QuietOperator : public veridane::Operator {
 public:
  veridane::BoxAnswer ShowMessBox(std::string_view text, int16_t, std::string_view) override {
    std::cerr << "unexpected prompt: " << text << "\n";
    return veridane::kOk;
  }
  void ShowInfo(std::string_view) override {}
  void SetBusy(bool) override {}
  [[noreturn]] void EndProgram() override { throw veridane::ProgramEnded(); }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace veridane;
  QApplication app(argc, argv);
  MainForm form;
  QtMainView view(form);
  RunState state;
  QuietOperator technician;
  VirtualClock clock;
  ResultDisplay display(view, state, technician, clock);
  TestFrame frame(state, view, display, technician, clock);

  state.MainTitle = MainTitle();
  GiveTitles(frame.Hooks());
  frame.NameTests();
  state.TestStatus = {TestOutcome::NotRun, TestOutcome::Passed, TestOutcome::Failed, TestOutcome::NotRun, TestOutcome::NotRun, TestOutcome::NotRun};
  frame.TestStatusUpdate();
  view.SetChecked("ShowTestStatus", true);
  form.Label(1)->setText("TDS 340A, F/W: v1.04");
  view.SetLogFileLabel("C:/Veridane/LOG340/B012345.log");

  state.CurrentTest = kTestOffsetZero;
  display.PrintFirst("Test ACQ / 1 of 3", "  Channel  V/div     Offset      Limit     Result");
  display.PrintScreen("  CH1      2mV       -120\xB5V     \xB1" "400\xB5V     PASS");
  display.PrintScreen("  CH1      5mV       310\xB5V      \xB1" "500\xB5V     PASS");
  state.CurrentTest = kTestGain;
  display.PrintFirst("", "  Channel  V/div     Reading     Limit     Result");
  display.PrintScreen("  CH1      10mV      71.96mV     \xB1" "1.0%      PASS");
  display.PrintScreen("  CH2      10mV      74.10mV     \xB1" "1.0%      FAIL");

  const std::string box = argc > 1 ? argv[1] : "";
  const bool overWindow = box == "--splash" || box == "--about";
  const int shotArgument = overWindow ? 2 : 1;
  form.show();
  if (argc > shotArgument) {
    const QString path = QString::fromLocal8Bit(argv[shotArgument]);
    QTimer::singleShot(1500, [&form, path] {
      // The screen as the display server has it; where it cannot be read, what the window drew.
      QPixmap shot = form.screen()->grabWindow(0);
      if (shot.isNull()) shot = form.grab();
      if (!shot.save(path)) std::cerr << "cannot write " << path.toStdString() << "\n";
      if (QWidget* box = QApplication::activeModalWidget()) box->close();
      QApplication::quit();
    });
  }
  if (box == "--splash") Intro(&form, 10);
  if (box == "--about") ShowAbout(&form);
  return overWindow ? 0 : app.exec();
}
