#include "results/log_text_export.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "results/log_text.h"
#include "platform/text8.h"
#include "platform/text8_file.h"
#include "report/format.h"
#include "results/results_store.h"

namespace veridane {

bool ExportLogText(const std::string& logPath, const StoreTarget& target, LogTextExport& result, std::string& error) {
  std::string content;
  std::string readError;
  if (!ReadText8File(logPath, content, readError)) {
    error = "The file " + Text8FromUtf8(logPath) + " cannot be read: " + Text8FromUtf8(readError);
    return false;
  }
  // Only a result log is shown as one: anything else named by mistake would pour its bytes,
  // control codes and all, onto the terminal.
  if (!HasLogHeader(content)) {
    error = "The file " + Text8FromUtf8(logPath) + " is no result log: it has no header (\"" +
            std::string(kLogHeaderStart) + "...\")";
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
  // A control code left in a row after expansion (a damaged file) is shown, not obeyed.
  for (char& c : result.text)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\r' && c != '\t') || c == 0x7F) c = '?';
  return true;
}

std::string DataFolderOfLog(const std::string& logPath, const std::string& realDataFolder,
                            const std::string& simulatedDataFolder) {
  const std::string log = LogFileKey(logPath);
  const std::string simulated = LogFileKey(simulatedDataFolder) + "/";
  return log.rfind(simulated, 0) == 0 ? simulatedDataFolder : realDataFolder;
}

}  // namespace veridane
