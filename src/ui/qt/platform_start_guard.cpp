#include "ui/qt/platform_start_guard.h"

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/display_check.h"
#include "shell/exit_codes.h"

namespace veridane {

namespace {

void StartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    // Only the platform start can fail fatally here; nothing is open yet that an exit without
    // clean-up could lose.
    const std::string line = std::string(kNoDisplayLine) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    std::_Exit(kExitUsage);
  }
  // What Qt found on the way ("could not connect to display :5") still helps the technician.
  const QString text = qFormatLogMessage(type, context, message) + QLatin1Char('\n');
  std::fputs(text.toLocal8Bit().constData(), stderr);
}

}  // namespace

PlatformStartGuard::PlatformStartGuard() : previous_(qInstallMessageHandler(StartMessage)) {}

PlatformStartGuard::~PlatformStartGuard() { qInstallMessageHandler(previous_); }

}  // namespace veridane
