#include "ui/console/parlex_terminal.h"

#include <algorithm>
#include <filesystem>
#include <istream>
#include <memory>
#include <sstream>
#include <ostream>
#include <string>
#include <vector>

#include "gpib/bus/gpib_bus.h"
#include "platform/file_checks.h"
#include "platform/text8.h"
#include "platform/text8_file.h"
#include "shell/exit_codes.h"
#include "shell/launcher.h"
#include "ui/console/console_operator.h"
#include "ui/console/console_parlex.h"
#include "ui/console/line_edit_input.h"

namespace veridane {

namespace {

constexpr int16_t kInitFatal = 1;
// The history file is read for recall only; a stray huge file must not fill the memory.
constexpr size_t kHistoryReadLimit = 1u << 20;
// A script is typed messages, one per line: 16 MB is far beyond any made by hand or by a tool.
constexpr size_t kScriptReadLimit = 16u << 20;

std::vector<std::string> RecalledLines(const std::string& historyFile) {
  std::string content, error;
  if (!ReadText8File(historyFile, content, error, kHistoryReadLimit)) return {};
  std::vector<std::string> lines;
  for (const std::string& line : SplitText8Lines(content)) lines.push_back(Utf8FromText8(line));
  return lines;
}

}  // namespace

int RunParlexTerminal(const BackendRegistry& registry, const CommandLine& options, Settings& settings, Paths paths,
                      std::istream& in, bool interactive, std::ostream& out, std::ostream& err) {
  // A script is read whole before the bus opens, through the checks every named file gets: a
  // folder, /dev/zero or a FIFO given by mistake is a word at once, never a hang or an abort.
  std::istringstream script;
  const bool scripted = !options.parlexScript.empty();
  if (scripted) {
    const FileRead read = ReadRegularFile(options.parlexScript, kScriptReadLimit);
    if (!read.Ok()) {
      if (read.status == FileReadStatus::Missing || read.status == FileReadStatus::Unreadable)
        err << "The script " << options.parlexScript << " cannot be read.\n";
      else
        err << "The script " << options.parlexScript << " " << read.problem << ".\n";
      return kExitUsage;
    }
    script.str(read.bytes);
  }

  // Prompts (a driver error, a transfer's warning) are answered by policy and shown on the
  // error stream, as in a headless run; the answers to the messages go to out.
  ConsoleOperator console(err);
  VirtualClock virtualClock;
  RealEventLoop realLoop([] {});
  Launcher launcher(registry, settings, paths);
  LaunchRequest request;
  request.bench = options.bench;
  request.traceFile = options.traceFile;
  try {
    launcher.Choose(request);
    launcher.Open(launcher.Simulated() ? static_cast<EventLoop&>(virtualClock) : realLoop);
  } catch (const LaunchError& error) {
    err << Utf8FromText8(error.what()) << "\n";
    return kExitUsage;
  }
  EventLoop& loop = launcher.Simulated() ? static_cast<EventLoop&>(virtualClock) : realLoop;
  const std::string notice = launcher.bench().Notice();
  if (!notice.empty()) err << Utf8FromText8(notice) << "\n";
  paths.SetSimulated(launcher.Simulated());

  try {
    GpibBus bus(launcher.Driver(), console, loop);
    bus.GpibInit(kInitFatal);

    const std::string folder = paths.ParlexFolder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    ParlexConsoleSeams seams{launcher.Driver(), console, loop, settings, folder,
                             bus.listeners.Addresses(), bus.DeviceTimeout,
                             folder + "/" + kParlexHistoryFile};
    if (scripted) return RunParlexConsole(seams, script, out, err);
    if (!interactive) return RunParlexConsole(seams, in, out, err);
    out << "Parlex: one message per line, :help for the commands, Ctrl-D to end.\n";
    LineEditBuffer edited("parlex> ", RecalledLines(seams.historyFile), &out);
    std::istream editedIn(&edited);
    return RunParlexConsole(seams, editedIn, out, err);
  } catch (const ProgramEnded&) {
    err << "The program ended.\n";
    return kExitEnded;
  }
}

}  // namespace veridane
