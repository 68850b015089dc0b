#include "log/log_book.h"

#include <filesystem>
#include <system_error>

#include "platform/paths.h"
#include "platform/text8.h"
#include "platform/text8_file.h"
#include "pv/frame/status_list.h"

namespace veridane {

namespace {
constexpr const char* kNoLog = "N/A";
}  // namespace

LogBook::LogBook(LogPlace place, ResultDisplay& display, MainView& view, RunState& state, Operator& op,
                 LogDialogs& dialogs, std::function<LogStamp()> now)
    : place_(std::move(place)),
      display_(display),
      view_(view),
      state_(state),
      op_(op),
      dialogs_(dialogs),
      now_(std::move(now)) {}

std::string LogBook::LogFolder() const {
  return place_.DataFolder() + "/" + Utf8FromText8(place_.LogFolderName);
}

std::string LogBook::PathOf(const char* extension) const {
  return LogFolder() + "/" + Utf8FromText8(LogFileName_) + extension;
}

LogMenuState LogBook::Menus() const {
  return LogMenus(LogOpen(), !place_.LogFolderName.empty() && FolderExists(LogFolder()), !display_.Text().empty());
}

void LogBook::ShowMenus() { ApplyLogMenus(view_, Menus()); }

void LogBook::ClearEntries() {
  SerialText_.clear();
  LogFileName_.clear();
  OperatorText_.clear();
  CommentsText_.clear();
}

void LogBook::ResetStatuses() {
  for (int n = 1; n <= state_.NumberOfTests; ++n) state_.TestStatus[static_cast<size_t>(n)] = TestOutcome::NotRun;
}

bool LogBook::OpenLog(Text8File::Mode mode) {
  // Held for as long as it is open: a second run given the same log is refused instead of
  // mixing its rows into this one's and overwriting its status file.
  if (file_.Open(LogPath(), mode, Text8File::Hold::Exclusive)) {
    refusal_ = Text8File::Refusal::None;
    rowsLost_ = false;
    // Every row on the disk before it is shown: a power cut keeps what the technician saw.
    file_.SyncEachLine(true);
    return true;
  }
  refusal_ = file_.OpenRefusal();
  switch (refusal_) {
    case Text8File::Refusal::InUse:
      op_.ShowMessBox("The Log File " + LogFileName_ + ".log is in use by another run of the program.",
                      kOkOnly + kCritical, "File Error");
      break;
    case Text8File::Refusal::Exists:
      op_.ShowMessBox("The Log File " + LogFileName_ + " already exists.", kOkOnly + kCritical, "File Error");
      break;
    case Text8File::Refusal::Missing:
      if (mode == Text8File::Mode::Continue) {
        op_.ShowMessBox("The file " + LogFileName_ + ".log is missing or corrupt", kOkCancel, "File Error");
        break;
      }
      [[fallthrough]];
    default:
      op_.ShowMessBox("The Log File " + LogFileName_ + ".log cannot be written:\n" + Text8FromUtf8(file_.Error()),
                      kOkOnly + kCritical, "File Error");
  }
  return false;
}

void LogBook::CreateLogFile() {
  if (!display_.ClearScreenQuery()) return;
  if (place_.LogFolderName.empty()) {
    op_.ShowMessBox("Instrument type not defined", kOkOnly + kCritical, "Create Log File Error");
    return;
  }
  // The model's folder is made quietly on a first log: only a folder that cannot be made is
  // worth a question (the technician may put it right and answer Yes to try again).
  std::error_code error;
  if (!FolderExists(LogFolder())) std::filesystem::create_directories(LogFolder(), error);
  if (!FolderExists(LogFolder())) {
    BoxAnswer answer = op_.ShowMessBox("The Log Folder " + place_.LogFolderName + " doesn't exist.\nDo you want to create it ?",
                                     kYesNo + kCritical, "Folder Error");
    if (answer != kYes) return;
    error.clear();
    std::filesystem::create_directories(LogFolder(), error);
    if (!FolderExists(LogFolder())) {
      op_.ShowMessBox("The Log Folder " + place_.LogFolderName + " cannot be created:\n" +
                          Text8FromUtf8(error ? error.message() : LogFolder()),
                      kOkOnly + kCritical, "Folder Error");
      return;
    }
  }

  std::optional<CreateLogEntries> entries = dialogs_.CreateLogFileForm();
  if (!entries || entries->name.empty()) {
    ClearEntries();
    return;
  }
  SerialText_ = entries->serial;
  LogFileName_ = entries->name;
  OperatorText_ = entries->operatorName;
  CommentsText_ = entries->comments;

  std::error_code existsError;
  const bool exists = std::filesystem::exists(LogPath(), existsError);
  if (exists) {
    BoxAnswer answer = op_.ShowMessBox("The Log File " + LogFileName_ + " already exists.\nDo you want to overwrite it ?",
                                     kYesNo + kCritical, "File Error");
    if (answer != kYes) {
      ClearEntries();
      return;
    }
  }

  std::vector<std::string> header = LogHeaderLines(place_.ScopeModel, *entries, now_());
  // A log made by someone else since the question is theirs: only the one agreed to is replaced.
  if (!OpenLog(exists ? Text8File::Mode::Create : Text8File::Mode::CreateNew)) {
    ClearEntries();
    return;
  }
  if (sessionHook_) sessionHook_(LogPath(), 0, true);
  display_.ClearDisplay();
  for (const std::string& line : header) display_.PrintScreen(line);

  ResetStatuses();
  statusFileFailing_ = false;
  // A log lost to a write error during the header has no status file to go with it.
  if (LogOpen()) WriteStatuses();
  TestStatusUpdate(state_, view_);
  view_.SetLogFileLabel(LogOpen() ? LogFileName_ : kNoLog);
  ShowMenus();
}

void LogBook::AppendLogFile() {
  if (!display_.ClearScreenQuery()) return;
  if (place_.LogFolderName.empty() || !FolderExists(LogFolder())) {
    op_.ShowMessBox(Text8FromUtf8(LogFolder()) + " Doesn't exist.", kOkCancel, "Folder Error");
    view_.SetEnabled(ui::kAppendLogFile, false);
    return;
  }

  std::optional<std::string> name = dialogs_.OpenLogFileForm(LogFolder());
  if (!name || name->empty()) return;
  LogFileName_ = *name;

  // Held before it is read, so that no other run adds to it between the reading and the
  // first new row.
  if (!OpenLog(Text8File::Mode::Continue)) return;

  // The whole transcript is read before anything on screen changes: a log that cannot be
  // read leaves the display and the statuses as they were.
  std::string content;
  std::string error;
  if (!ReadText8File(LogPath(), content, error)) {
    file_.Close();
    op_.ShowMessBox("The file " + LogFileName_ + ".log is missing or corrupt", kOkCancel, "File Error");
    return;
  }
  view_.SetLogFileLabel(LogFileName_);
  display_.ClearDisplay();
  const std::string transcript = TranscriptFromLog(content);
  display_.SetText(transcript);
  // New rows belong to the scope the log is about: its results are stored under its serial.
  const LogHeaderFacts header = ReadLogHeader(transcript);
  SerialText_ = header.serial;
  OperatorText_ = header.operatorName;
  CommentsText_ = header.comments;

  std::string statusText;
  if (!ReadText8File(StatusPath(), statusText, error) || !ParseStatusFile(statusText, state_.TestStatus, state_.NumberOfTests)) {
    ResetStatuses();
    BoxAnswer answer = op_.ShowMessBox("The file " + LogFileName_ +
                                         ".tst which contains the PASS/FAIL data is missing or corrupt\n\n"
                                         "Do you wish keep the Test data anyway and append to " +
                                         LogFileName_ + ".log" + "?",
                                     kYesNo, "File Error");
    if (answer != kYes) {
      file_.Close();
      TestStatusUpdate(state_, view_);
      view_.SetLogFileLabel(kNoLog);
      display_.ClearDisplay();
      ShowMenus();
      return;
    }
  }

  statusFileFailing_ = false;
  if (sessionHook_) sessionHook_(LogPath(), static_cast<int>(SplitText8Lines(content).size()), false);
  TestStatusUpdate(state_, view_);
  ShowMenus();
}

void LogBook::CloseLogFile() {
  if (op_.ShowMessBox("Do you really want to close logfile: " + LogFileName_, kYesNo + kQuestion, "Close Log File") != kYes)
    return;
  if (!file_.Close())
    op_.ShowMessBox("The Log File " + LogFileName_ + ".log may be incomplete:\n" + Text8FromUtf8(file_.Error()),
                    kOkOnly + kExclamation, "File Error");
  view_.SetLogFileLabel(kNoLog);
  ShowMenus();
}

void LogBook::CloseFiles() { file_.Close(); }

void LogBook::WriteLogLine(std::string_view compactedLine) {
  if (!file_.IsOpen() || file_.WriteLine(compactedLine)) return;
  // The row stays on screen; only the file has lost it. Say so once and stop writing, rather
  // than failing again on every row that follows.
  std::string error = Text8FromUtf8(file_.Error());
  rowsLost_ = true;
  file_.Close();
  view_.SetLogFileLabel(kNoLog);
  ShowMenus();
  op_.ShowMessBox("The Log File " + LogFileName_ + ".log could not be written:\n" + error +
                      "\n\nThe log file has been closed; it ends with the last whole row written. The display "
                      "keeps every line.",
                  kOkOnly + kExclamation, "File Error");
}

bool LogBook::WriteStatuses() {
  std::string error;
  if (ReplaceText8File(StatusPath(), StatusFileText(state_.TestStatus, state_.NumberOfTests), error)) {
    statusFileFailing_ = false;
    return true;
  }
  if (!statusFileFailing_)
    op_.ShowMessBox("The file " + LogFileName_ + ".tst which contains the PASS/FAIL data could not be written:\n" +
                        Text8FromUtf8(error),
                    kOkOnly + kExclamation, "File Error");
  statusFileFailing_ = true;
  return false;
}

void LogBook::WriteStatusFile() {
  if (LogOpen()) WriteStatuses();
}

}  // namespace veridane
