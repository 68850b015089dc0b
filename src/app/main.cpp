// The program: the window, or with --headless the console run. Options are read before Qt
// starts, so that --help works without a display. This is the composition root: the only
// place that knows every back end the program is built with.
#include <QCoreApplication>
#include <iostream>
#include <string>
#include <vector>

#include "gpib/backends/backend_registry.h"
#include "platform/settings.h"
#include "shell/command_line.h"
#include "shell/launcher.h"
#include "shell/version.h"
#include "sim/backend/sim_backend.h"
#include "ui/console/headless.h"
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
  if (!options.errors.empty()) {
    for (const std::string& error : options.errors) std::cerr << error << "\n";
    std::cerr << "See veridane --help.\n";
    return kExitUsage;
  }

  if (options.headless) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kShortAppName);
    UserSettings settings;
    return RunHeadless(Backends(), options, settings, PlatformPaths(), std::cout, std::cerr, ConsoleLooksOfThisProcess());
  }

  return RunWindowProgram(argc, argv, Backends(), options);
}
