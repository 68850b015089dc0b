// The program: the window, or with --headless the console run. Options are read before Qt
// starts, so that --help works without a display. This is the composition root: the only
// place that knows every back end the program is built with.
#include <QCoreApplication>
#include <QGuiApplication>
#include <unistd.h>
#include <memory>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "gpib/backends/adapter_survey.h"
#include "gpib/backends/backend_registry.h"
#include "gpib/backends/bench_doctor.h"
#include "platform/settings.h"
#include "platform/text8.h"
#include "shell/bench_list.h"
#include "shell/command_line.h"
#include "shell/display_check.h"
#include "shell/launcher.h"
#include "shell/version.h"
#include "sim/backend/sim_backend.h"
#include "ui/console/headless.h"
#include "ui/console/log_text_command.h"
#include "ui/console/parlex_terminal.h"
#include "ui/console/results_query.h"
#include "ui/qt/window_run.h"

namespace veridane {
namespace {

// Every back end this program links, by connection text. Real adapters come first: their
// texts ("prologix:/dev/ttyUSB0") would otherwise look like a path to a bench file.
BackendRegistry Backends() {
  BackendRegistry registry;
  RegisterHardwareSchemes(registry);
  registry.Register(sim::SimulatedBenchScheme());
  return registry;
}

}  // namespace
}  // namespace veridane

int main(int argc, char** argv) {
  using namespace veridane;
  const CommandLine options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (options.help) {
    std::cout << UsageText("veridane");
    return 0;
  }
  if (options.version) {
    std::cout << MainTitle() << "\n";
    return 0;
  }
  // "?" asks only for the About box, and nothing else on the line can go wrong then.
  if (!options.errors.empty() && !options.aboutRequested) {
    for (const std::string& error : options.errors) std::cerr << error << "; see --help\n";
    return kExitUsage;
  }
  if (options.listBenches) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kShortAppName);
    const UserSettings settings;
    std::cout << Utf8FromText8(BenchListText(Backends(), settings));
    return 0;
  }

  if (options.listAdapters) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kShortAppName);
    const UserSettings settings;
    SurveyOptions survey;
    survey.libraryPath = settings.Get("Veridane", "Settings", "GpibLibrary", "");
    std::cout << AdapterListText(SurveyAdapters(survey));
    return 0;
  }
  if (options.doctor) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kShortAppName);
    const UserSettings settings;
    DoctorOptions doctor;
    doctor.gpibLibrary = settings.Get("Veridane", "Settings", "GpibLibrary", "");
    doctor.visaLibrary = settings.Get("Veridane", "Settings", "VisaLibrary", "");
    const DoctorReport report = ExamineBenchHardware(doctor);
    std::cout << DoctorText(report);
    return report.benchUsable ? 0 : 1;
  }
  if (options.parlex) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kShortAppName);
    UserSettings settings;
    return RunParlexTerminal(Backends(), options, settings, PlatformPaths(), std::cin, isatty(STDIN_FILENO) != 0,
                             std::cout, std::cerr);
  }
  if (!options.logTextFile.empty()) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kShortAppName);
    const UserSettings settings;
    return RunLogTextCommand(options, settings, PlatformPaths(), std::cout, std::cerr);
  }
  if (options.results || !options.importFiles.empty()) {
    // A certificate is drawn with Qt's painting, which needs a GUI application (off screen).
    std::unique_ptr<QCoreApplication> app;
    if (options.certificateFile.empty()) {
      app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
      if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
      app = std::make_unique<QGuiApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(kShortAppName);
    const UserSettings settings;
    return RunResultsCommand(Backends(), options, settings, PlatformPaths(), std::cout, std::cerr);
  }

  if (options.headless) {
    // Printing to a PDF file (and drawing a certificate) needs Qt's painting, which needs a GUI application; without a
    // window it renders off screen.
    std::unique_ptr<QCoreApplication> app;
    if (options.printFile.empty() && options.certificateFile.empty()) {
      app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
      if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
      app = std::make_unique<QGuiApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(kShortAppName);
    UserSettings settings;
    return RunHeadless(Backends(), options, settings, PlatformPaths(), std::cout, std::cerr, ConsoleLooksOfThisProcess());
  }

  if (!DisplayExpected([](const char* name) { return std::getenv(name); })) {
    std::cerr << kNoDisplayLine << "\n";
    return kExitUsage;
  }
  return RunWindowProgram(argc, argv, Backends(), options);
}
