// Whole data blocks between a device and a file: a query's answer into a file, a file to the
// device as one message, and a data file shown with the desktop's own program.
#include <fstream>

#include "parlex/manual_presenter.h"
#include "platform/file_checks.h"

namespace veridane::parlex {

namespace {

constexpr size_t kCaptureChunk = 4096;
constexpr std::string_view kDataFilter = "Data Files (*.dat)|*.dat";
constexpr std::string_view kDataOrAllFilter = "Data Files (*.dat)|*.dat|All Files (*.*)|*.*";
constexpr std::string_view kTimeoutCaption = "Timeout Has Occured";
// Set-ups, waveforms and curves are kilobytes; a file past this was named by mistake.
constexpr size_t kDataFileLimit = 16u << 20;

}  // namespace

void ManualPresenter::SendToFileClick() {
  if (c_.Checked(control::kSendToFile)) {
    Check(control::kSendToFile, false);
    Enable(control::kAutoClear, true);
  } else {
    Check(control::kSendToFile, true);
    Check(control::kSendtoFileOnce, false);
    Enable(control::kAutoClear, false);
  }
  s_.OptionChanged[9] = true;
  FocusOutgoingIfEnabled();
}

void ManualPresenter::SendtoFileOnceClick() {
  if (c_.Checked(control::kSendtoFileOnce)) {
    Check(control::kSendtoFileOnce, false);
    Enable(control::kAutoClear, true);
  } else {
    Check(control::kSendtoFileOnce, true);
    Check(control::kSendToFile, false);
    Enable(control::kAutoClear, false);
  }
  FocusOutgoingIfEnabled();
}

bool ManualPresenter::CaptureToFile(const std::string& message) {
  if (!s_.IncomingFileWarned) {
    BoxAnswer answer = Ask(
        "NOTE!  For incoming data transfer to a file the timeout will be set to 100 secs which means that\nin case "
        "of a syntax error in the query the computer will appear locked for this amount of time.\nYou may prevent "
        "this by enabling the Syntax Check feature. Also be aware of that the incoming\ndata will not be displayed "
        "in the Incoming Data list.\n\nThis message will be displayed only once.\n\nDo you wish to continue ?",
        kYesNo + kExclamation, "Warning");
    if (answer != kYes) return false;
    s_.IncomingFileWarned = true;
  }
  std::string path = seams_.dialogs
                         .SaveFile({"Save Incoming Message to File", selectedDataFolder_, "Data", std::string(kDataFilter)})
                         .value_or("");
  if (path.empty()) return false;
  selectedDataFolder_ = FolderOf(path);
  // Opening a FIFO for writing waits for a reader, and a device takes whatever comes: only a
  // regular file (or a new one) receives the answer.
  if (const FileRead target = CheckWriteTarget(path); !target.Ok()) {
    Ask("Can't write to the file " + path + ": it " + target.problem + ".", kOkOnly + kExclamation, "File Write error");
    return true;
  }

  port_.GpibWrite(message);
  if (CurrentMethod() != kNoSyntaxCheck) CheckSyntax();
  if (!port_.GpibWriteFailed) ReadAnswerToFile(path);
  return true;
}

void ManualPresenter::ReadAnswerToFile(const std::string& path) {
  Busy(true);
  seams_.loop.ProcessEvents();
  DriverTimeout noted = port_.CurrentTimeout();
  port_.ibtmo(DriverTimeout::HundredSeconds);
  port_.ibwait(kWaitTimoOrCmpl);

  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  bool fileOk = static_cast<bool>(file);
  size_t total = 0;
  bool timedOut = false;
  bool cancelled = false;
  if (fileOk) {
    // Read in chunks rather than in one driver call, so that the window stays live and the
    // technician can stop a transfer that would otherwise block for 100 s.
    transferRunning_ = true;
    cancelRequested_ = false;
    for (;;) {
      std::string buffer(kCaptureChunk, '\0');
      port_.ibrd(buffer);
      size_t n = static_cast<size_t>(std::clamp<int32_t>(port_.status.ibcntl, 0, static_cast<int32_t>(buffer.size())));
      if (n > 0 && !file.write(buffer.data(), static_cast<std::streamsize>(n))) fileOk = false;
      total += n;
      if (port_.status.Timo()) {
        timedOut = true;
        break;
      }
      if (port_.status.Err()) {
        port_.GpibErrorCheck();
        break;
      }
      if (port_.status.End() || !fileOk) break;
      seams_.loop.ProcessEvents();
      if (cancelRequested_) {
        cancelled = true;
        break;
      }
    }
    transferRunning_ = false;
    file.flush();
    if (!file) fileOk = false;
  }

  if (!fileOk) {
    Ask("Can't write to the file " + path + ". It is probably write protected.", kOkOnly + kExclamation,
        "File Write error");
  } else if (timedOut) {
    Ask("This may be due to either a syntax error or a transfer longer than 100 secs. In the latter case the\ndata "
        "transfer may be incomplete and there is probably remaining data in the device's output buffer.\nTo clear, "
        "uncheck \"Send Received Data to File\" and send a single questionmark (?).",
        kOkOnly + kExclamation, kTimeoutCaption);
  } else if (cancelled) {
    Ask("The transfer was stopped. The file holds the data received so far;\nthe rest may still wait in the "
        "device's output buffer.",
        kOkOnly + kExclamation, "Transfer Stopped");
  }
  port_.ibtmo(noted);
  SetLabel(control::kReceivedCharacters, " " + std::to_string(total) + " ");
  EnableClearIncoming();
  Busy(false);
}

void ManualPresenter::SendToDevice() {
  if (s_.SelectedIndex <= 0) return;
  if (!s_.OutgoingFileWarned) {
    BoxAnswer answer = Ask(
        "NOTE!  For this data transfer to a device the timeout will be set to 100 secs which means that\nin case of "
        "an error in the transfer the computer will appear locked for this amount of time.\n\nThis message will be "
        "displayed only once.\n\nDo you wish to continue ?",
        kYesNo + kExclamation, "Warning");
    if (answer != kYes) return;
    s_.OutgoingFileWarned = true;
  }
  const std::string address = " " + std::to_string(s_.SelectedAddress);
  std::string path;
  for (;;) {
    path = seams_.dialogs
               .OpenFile({"Send Data from File to the Device at Address" + address, selectedDataFolder_, "",
                          std::string(kDataOrAllFilter)})
               .value_or("");
    if (path.empty()) return;
    selectedDataFolder_ = FolderOf(path);
    // The same checks as every file the program reads: a folder, /dev/zero or a FIFO is never
    // opened for the driver, nor a file too large to be a message.
    if (const FileRead check = CheckRegularFile(path, kDataFileLimit); !check.Ok()) {
      Ask("Can't read the file " + path + ": it " + check.problem + ".", kOkOnly + kExclamation, "File Read error");
      continue;
    }
    BoxAnswer answer = Ask("Are you sure you want to send the content of the file: " + FileNameOf(path) +
                             "\nto the device at address" + address + ".",
                         kYesNo + kQuestion, "Send Datafile to Device");
    if (answer == kYes) break;
  }

  Busy(true);
  seams_.loop.ProcessEvents();
  DriverTimeout noted = port_.CurrentTimeout();
  port_.ibtmo(DriverTimeout::HundredSeconds);
  port_.ibwait(kWaitTimoOrCmpl);
  port_.ibwrtf(path);
  if (port_.status.Timo()) {
    Ask("This may be due to either the device doesn't accept the data or a transfer longer than 100 secs.\nIn the "
        "latter case the data transfer may be incomplete. Try to split the datafile into two.\n",
        kOkOnly + kExclamation, kTimeoutCaption);
  } else if (port_.status.Err()) {
    // A file that cannot be read, or nobody listening: say so rather than end silently.
    port_.GpibErrorCheck();
  }
  port_.ibtmo(noted);
  Busy(false);
}

void ManualPresenter::DisplayFile() {
  std::string path =
      seams_.dialogs.OpenFile({"Show Data File", selectedDataFolder_, "", std::string(kDataOrAllFilter)}).value_or("");
  if (path.empty()) return;
  selectedDataFolder_ = FolderOf(path);
  seams_.dialogs.OpenWithDesktop(path);
}

}  // namespace veridane::parlex
