#include "ui/console/log_text_command.h"

#include <ostream>

#include "platform/text8.h"
#include "results/log_text_export.h"
#include "shell/exit_codes.h"

namespace veridane {

int RunLogTextCommand(const CommandLine& options, const Settings& settings, const Paths& paths, std::ostream& out,
                      std::ostream& messages) {
  Paths real = paths;
  real.SetSimulated(false);
  Paths simulated = paths;
  simulated.SetSimulated(true);
  const std::string dataFolder = DataFolderOfLog(options.logTextFile, real.DataFolder(), simulated.DataFolder());
  LogTextExport exported;
  std::string error;
  if (!ExportLogText(options.logTextFile, StoreTargetFromSettings(settings, dataFolder), exported, error)) {
    messages << Utf8FromText8(error) << "\n";
    return kExitUsage;
  }
  if (!exported.note.empty()) messages << Utf8FromText8(exported.note) << "\n";
  out << exported.text;
  out.flush();
  return kExitPassed;
}

}  // namespace veridane
