// The window program. Options are read before Qt starts, so that --help works without a display.
#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/entry_guard.h"
#include "app/main_form.h"
#include "app/qt_operator.h"
#include "app/version.h"

int main(int argc, char** argv) {
  using namespace veridane;
  const CommandLine options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (options.help) {
    std::cout << UsageText("veridane");
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(kShortAppName);

  if (options.demoMessBox) {
    QtOperator technician;
    const int16_t answer = technician.ShowMessBox("Are you sure ?", kYesNo + kQuestion, "Disable Auto Mode");
    std::cout << answer << "\n";
    return 0;
  }

  MainForm mainForm;
  QtOperator technician(&mainForm);
  EntryGuard guard;
  guard.Run([&] { mainForm.show(); });
  if (guard.Ended()) return guard.ExitCode();
  return app.exec();
}
