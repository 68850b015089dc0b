#include "results/log_text_export.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "results/log_text.h"
#include "platform/text8.h"
#include "platform/text8_file.h"
#include "results/results_store.h"

namespace veridane {

bool ExportLogText(const std::string& logPath, const StoreTarget& target, LogTextExport& result, std::string& error) {
  std::string content;
  std::string readError;
  if (!ReadText8File(logPath, content, readError)) {
    error = "The file " + Text8FromUtf8(logPath) + " cannot be read: " + Text8FromUtf8(readError);
    return false;
  }
  std::vector<LogSessionMark> marks;
  // Reading a log never makes a database: an SQLite file that is not there knows nothing.
  std::error_code missing;
  const bool noFile = target.kind == StoreKind::SQLite && !std::filesystem::exists(target.file, missing);
  if (target.kind != StoreKind::None && !noFile) {
    ResultsStore store(target);
    if (store.Open()) {
      for (const LogSession& session : store.LogSessions(LogFileKey(logPath)))
        marks.push_back(LogSessionMark{session.firstLine, session.openedAt, session.created});
    } else {
      result.note = "The results database " + Text8FromUtf8(target.Describe()) +
                    " cannot be read; the sessions are not dated: " + Text8FromUtf8(store.LastError());
    }
  }
  result.text = LogAsText(content, marks, &result.sessions);
  return true;
}

std::string DataFolderOfLog(const std::string& logPath, const std::string& realDataFolder,
                            const std::string& simulatedDataFolder) {
  const std::string log = LogFileKey(logPath);
  const std::string simulated = LogFileKey(simulatedDataFolder) + "/";
  return log.rfind(simulated, 0) == 0 ? simulatedDataFolder : realDataFolder;
}

}  // namespace veridane
