#pragma once
// The result log of one run: the File menu's Create New File, Import/Append and Close Log
// File commands, the transcript every displayed row is written to, and the PASS/FAIL file
// rewritten at the end of each test.
//
// Nothing shown may be lost: each row is on disk the moment it is shown (synced, so a power cut
// keeps it too; a row the disk cannot take whole is not written at all), the status file is
// replaced whole (never half-written), and a log that cannot be written any more is reported
// once, with its name, and closed, while the run and the display go on. An open log is held
// against every other run of the program, which is refused rather than let in to mix its rows
// with this one's.
#include <functional>
#include <string>
#include <string_view>

#include "log/log_dialogs.h"
#include "log/log_format.h"
#include "log/log_menus.h"
#include "platform/operator.h"
#include "platform/text8_file.h"
#include "pv/frame/main_view.h"
#include "pv/frame/result_display.h"
#include "pv/frame/result_log.h"
#include "pv/frame/run_state.h"

namespace veridane {

// Where the logs of the scope under test live. The texts are read when a command runs, so
// they may be filled in after the log book is built (the scope is identified at start-up).
struct LogPlace {
  std::function<std::string()> DataFolder;  // file-system path
  const std::string& ScopeModel;            // "TDS 340"
  const std::string& LogFolderName;         // "LOG340"; empty while no model is known
};

class LogBook : public ResultLog {
 public:
  LogBook(LogPlace place, ResultDisplay& display, MainView& view, RunState& state, Operator& op,
          LogDialogs& dialogs, std::function<LogStamp()> now);

  // The three File menu commands.
  void CreateLogFile();
  void AppendLogFile();
  void CloseLogFile();

  // The end of a test: the status file gets TestStatus (only while a log is open).
  void WriteStatusFile();
  // The program ends: the log is closed without asking, everything written kept.
  void CloseFiles();

  // ResultLog: the display writes each shown row here.
  bool LogOpen() const override { return file_.IsOpen(); }
  void WriteLogLine(std::string_view compactedLine) override;

  // The menus for the current state (also right after start-up).
  LogMenuState Menus() const;

  // A row or a status file the disk did not take since the log was opened (said at the time).
  bool LogIncomplete() const { return rowsLost_ || statusFileFailing_; }
  bool RowsLost() const { return rowsLost_; }
  // Why the last Create or Import/Append did not open the log (None when it did).
  Text8File::Refusal OpenRefusal() const { return refusal_; }
  // Told when a log is created (first line 0) or re-opened to append (first line: the lines
  // it held), with the .log's path: the results store keeps when each session began.
  using SessionHook = std::function<void(const std::string& logPath, int firstLine, bool created)>;
  void SetSessionHook(SessionHook hook) { sessionHook_ = std::move(hook); }

  const std::string& LogFileName() const { return LogFileName_; }
  const std::string& SerialText() const { return SerialText_; }
  const std::string& OperatorText() const { return OperatorText_; }
  const std::string& CommentsText() const { return CommentsText_; }

  // File-system paths of the model's log folder and the current log's two files.
  std::string LogFolder() const;
  std::string LogPath() const { return PathOf(".log"); }
  std::string StatusPath() const { return PathOf(".tst"); }

 private:
  std::string PathOf(const char* extension) const;
  void ClearEntries();
  void ShowMenus();
  void ResetStatuses();
  bool WriteStatuses();
  bool OpenLog(Text8File::Mode mode);

  LogPlace place_;
  ResultDisplay& display_;
  MainView& view_;
  RunState& state_;
  Operator& op_;
  LogDialogs& dialogs_;
  std::function<LogStamp()> now_;

  Text8File file_;
  std::string LogFileName_;
  std::string SerialText_;
  std::string OperatorText_;
  std::string CommentsText_;
  // A failing status file is reported once, not at the end of every test.
  bool statusFileFailing_ = false;
  bool rowsLost_ = false;
  Text8File::Refusal refusal_ = Text8File::Refusal::None;
  SessionHook sessionHook_;
};

}  // namespace veridane
