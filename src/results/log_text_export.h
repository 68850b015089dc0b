#pragma once
// File > Export as Text and `veridane --log-text FILE.log`: a result log in readable form
// (see log/log_text.h), its sessions dated from the results store where it has them.
#include <string>

#include "results/store_target.h"

namespace veridane {

struct LogTextExport {
  std::string text;   // UTF-8, LF line ends
  std::string note;   // 8-bit; non-empty when the store could not be read (sessions unmarked)
  int sessions = 0;   // how many sessions were marked
};

// False with error (8-bit) when the .log cannot be read.
bool ExportLogText(const std::string& logPath, const StoreTarget& target, LogTextExport& result, std::string& error);

// The data folder whose results store knows the log: the simulated one for a log below it,
// else the real one.
std::string DataFolderOfLog(const std::string& logPath, const std::string& realDataFolder,
                            const std::string& simulatedDataFolder);

}  // namespace veridane
