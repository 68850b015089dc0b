#include "ui/console/console_parlex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>
#include <optional>
#include <utility>

#include "parlex/parlex_files.h"
#include "platform/file_checks.h"
#include "platform/numbers.h"
#include "platform/text8.h"
#include "platform/text8_file.h"

namespace veridane {

namespace {

namespace c = parlex::control;

// The window as the terminal sees it: only the Incoming Message box, the count and the syntax
// error matter; the blink is over at once.
class ConsoleView : public parlex::ManualView {
 public:
  void SetCaption(std::string_view) override {}
  void SetEnabled(std::string_view, bool) override {}
  void SetChecked(std::string_view, bool) override {}
  void SetLabel(std::string_view, std::string_view) override {}
  void SetSyntaxErrorVisible(bool) override {}
  void SetAddressButton(int, const parlex::AddressButtonState&) override {}
  void SetMessageList(const std::vector<std::string>&) override {}
  void SetOutgoing(std::string_view) override {}
  void SelectOutgoingPart(size_t, size_t) override {}
  void SetIncoming(std::string_view) override {}
  void SetFocus(std::string_view) override {}
  void SetTimerEnabled(bool enabled) override {
    if (enabled) syntaxError = true;
  }
  std::optional<int> RunSyntaxCheckForm(std::string_view, int) override { return std::nullopt; }
  void ShowAbout() override {}

  bool syntaxError = false;
};

// The file a command named stands in for the dialog; without one the dialog is cancelled.
class NamedFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> OpenFile(const FileDialogRequest&) override { return Take(); }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return Take(); }
  std::optional<std::string> ChooseFolder(const FileDialogRequest&) override { return Take(); }
  bool OpenWithDesktop(const std::string&) override { return false; }
  std::string next;

 private:
  std::optional<std::string> Take() {
    std::string name = std::exchange(next, {});
    if (name.empty()) return std::nullopt;
    return name;
  }
};

// Passes every box on and notes those that mean a message failed.
class FailureNotingOperator : public Operator {
 public:
  explicit FailureNotingOperator(Operator& inner) : inner_(inner) {}
  using Operator::ShowMessBox;
  BoxAnswer ShowMessBox(std::string_view text, int16_t style, std::string_view caption) override {
    if (caption.rfind("GPIB ERROR", 0) == 0 || caption == "I/O Error" || caption == "Timeout Has Occured" ||
        caption == "File Write error" || caption == "File Read error")
      failed = true;
    return inner_.ShowMessBox(text, style, caption);
  }
  void ShowInfo(std::string_view text) override { inner_.ShowInfo(text); }
  void SetBusy(bool busy) override { inner_.SetBusy(busy); }
  [[noreturn]] void EndProgram() override {
    inner_.EndProgram();
    throw ProgramEnded();  // an operator whose end returned all the same
  }
  bool failed = false;

 private:
  Operator& inner_;
};

constexpr const char* kHelp =
    "Each line is one message to the selected device; a message with '?' is a query and its answer is\n"
    "printed (\"??\" is sent without them). Commands:\n"
    "  :addr N                    select the listener at address N\n"
    "  :id all                    identify every listener\n"
    "  :syntax N status|poll|off  syntax-check method for address N\n"
    "  :read                      read what the selected device still holds\n"
    "  :tofile FILE               the next query's answer goes to FILE\n"
    "  :sendfile FILE             send FILE to the selected device as one message\n"
    "  :cr on|off, :lf on|off     terminators added to each message\n"
    "  :quit                      end\n";

// The history of sent messages, opened once for the session and appended a line at a time
// (one write each, so that a line typed is kept even if the session is killed). It stays small
// enough to be recalled whole: past its limit its older half goes.
class HistoryFile {
 public:
  explicit HistoryFile(std::string path) : path_(std::move(path)) {}
  ~HistoryFile() { Close(); }
  HistoryFile(const HistoryFile&) = delete;
  HistoryFile& operator=(const HistoryFile&) = delete;

  void Append(const std::string& line) {
    if (path_.empty() || refused_) return;
    if (fd_ < 0 && !Open()) return;
    if (size_ + line.size() + 2 > kParlexHistoryLimit) {
      // Another session may have trimmed it meanwhile: the file's own size decides.
      struct stat info {};
      if (::fstat(fd_, &info) == 0) size_ = static_cast<size_t>(info.st_size);
      if (size_ + line.size() + 2 > kParlexHistoryLimit) {
        Close();
        TrimOlderHalf();
        if (!Open()) return;
      }
    }
    const std::string bytes = line + "\r\n";
    size_t written = 0;
    while (written < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + written, bytes.size() - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;  // a full disk loses the history line, not the message
      written += static_cast<size_t>(n);
    }
    size_ += written;
  }

 private:
  bool Open() {
    // A history that is not a plain file (a FIFO would hold the session up) is not kept.
    if (!CheckWriteTarget(path_).Ok()) {
      refused_ = true;
      return false;
    }
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
      Close();
      refused_ = true;
      return false;
    }
    size_ = static_cast<size_t>(info.st_size);
    return true;
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  void TrimOlderHalf() {
    std::string content, error;
    if (ReadText8File(path_, content, error, 2 * kParlexHistoryLimit)) {
      std::string kept;
      for (const std::string& old : SplitText8Lines(content)) kept += old + "\r\n";
      const size_t cut =
          kept.find("\r\n", kept.size() > kParlexHistoryLimit / 2 ? kept.size() - kParlexHistoryLimit / 2 : 0);
      kept = cut == std::string::npos ? std::string() : kept.substr(cut + 2);
      ReplaceText8File(path_, kept, error);
    } else {
      std::error_code unknown;
      std::filesystem::remove(path_, unknown);
    }
  }

  std::string path_;
  int fd_ = -1;
  size_t size_ = 0;
  bool refused_ = false;
};

class Session {
 public:
  Session(ParlexConsoleSeams& seams, std::ostream& out, std::ostream& err)
      : seams_(seams),
        out_(out),
        err_(err),
        op_(seams.op),
        parlexSeams_{seams.driver, op_, seams.loop, seams.settings, dialogs_, seams.toolFolder,
                     seams.listeners, seams.deviceTimeout, ""},
        presenter_(parlexSeams_, state_, view_),
        history_(seams.historyFile) {}

  void Start() {
    presenter_.Load();
    presenter_.Activate();
    out_ << "Listeners:";
    for (int16_t address : seams_.listeners) out_ << " " << address;
    out_ << "\n";
    if (seams_.listeners.size() > 1) Select(std::to_string(seams_.listeners.front()));
  }

  // False at ":quit".
  bool Line(const std::string& utf8Line) {
    const std::string line = Trim(Text8FromUtf8(utf8Line));
    if (line.empty()) return true;
    if (line[0] == ':') return Command(line);
    Remember(line);
    Send(line);
    return true;
  }

  bool Failed() const { return failed_; }

 private:
  void Send(const std::string& message) {
    if (state_.SelectedIndex <= 0 || selectionRefused_) {
      err_ << "No device selected: use :addr N.\n";
      failed_ = true;
      return;
    }
    const std::string before = presenter_.Controls().incoming;
    op_.failed = false;
    view_.syntaxError = false;
    presenter_.OutgoingEdited(message);
    presenter_.SendMessage();
    Report(before);
  }

  void Report(const std::string& before) {
    const parlex::ManualControls& controls = presenter_.Controls();
    const std::string& now = controls.incoming;
    std::string added = now.size() >= before.size() && now.compare(0, before.size(), before) == 0
                            ? now.substr(before.size())
                            : now;
    for (char ch : added) {
      if (ch != '\r') out_ << ch;
    }
    if (view_.syntaxError) {
      out_ << "Syntax Error\n";
      failed_ = true;
    }
    const std::string count = Trim(controls.Label(c::kReceivedCharacters));
    if (!count.empty() && !view_.syntaxError) out_ << "(" << count << " bytes)\n";
    if (op_.failed) failed_ = true;
  }

  // The address as typed after :addr or :syntax; its whole number is compared, never converted,
  // so that any number ("1e99") is safe.
  bool Select(const std::string& typed) {
    const double address = std::trunc(NumericValue(typed));
    for (size_t i = 0; i < seams_.listeners.size(); ++i) {
      if (seams_.listeners[i] == address) {
        presenter_.AddressClick(static_cast<int>(i));
        selectionRefused_ = false;
        return true;
      }
    }
    // The messages that follow were meant for that address: they must not reach the device
    // selected before.
    err_ << "No listener at address " << typed << ".\n";
    selectionRefused_ = true;
    failed_ = true;
    return false;
  }

  bool Command(const std::string& line) {
    std::istringstream words(line.substr(1));
    std::string name, arg1, arg2;
    words >> name >> arg1 >> arg2;
    const std::string upperName = UpperCase(name);
    if (upperName == "QUIT" || upperName == "Q" || upperName == "EXIT") return false;
    if (upperName == "HELP") {
      out_ << kHelp;
    } else if (upperName == "ADDR" && !arg1.empty()) {
      if (Select(arg1)) out_ << "Address " << state_.SelectedAddress << "\n";
    } else if (upperName == "ID" && UpperCase(arg1) == "ALL") {
      const std::string before = presenter_.Controls().incoming;
      presenter_.IdAll();
      Report(before);
    } else if (upperName == "SYNTAX" && !arg1.empty()) {
      const std::string method = UpperCase(arg2);
      const int value = method == "STATUS" ? 1 : method == "POLL" ? -1 : method == "OFF" ? 0 : 2;
      if (value == 2) {
        err_ << "Syntax method is status, poll or off.\n";
        failed_ = true;
      } else if (Select(arg1)) {
        presenter_.SyntaxCheckClose(value);
      }
    } else if (upperName == "READ") {
      Send("??");
    } else if (upperName == "TOFILE" && !arg1.empty()) {
      dialogs_.next = FileArgument(line);
      if (!presenter_.Controls().Checked(c::kSendtoFileOnce)) presenter_.SendtoFileOnceClick();
    } else if (upperName == "SENDFILE" && !arg1.empty()) {
      dialogs_.next = FileArgument(line);
      op_.failed = false;
      presenter_.SendToDevice();
      if (op_.failed) failed_ = true;
    } else if ((upperName == "CR" || upperName == "LF") && (UpperCase(arg1) == "ON" || UpperCase(arg1) == "OFF")) {
      presenter_.OptionClicked(upperName == "CR" ? c::kAddCR : c::kAddLF, UpperCase(arg1) == "ON");
    } else {
      err_ << "Unknown command: " << Utf8FromText8(line) << " (see :help)\n";
      failed_ = true;
    }
    return true;
  }

  // Everything after the command word, so that file names may hold blanks.
  static std::string FileArgument(const std::string& line) {
    size_t blank = line.find(' ');
    return blank == std::string::npos ? std::string() : Utf8FromText8(Trim(line.substr(blank + 1)));
  }

  void Remember(const std::string& line) { history_.Append(line); }

  ParlexConsoleSeams& seams_;
  std::ostream& out_;
  std::ostream& err_;
  FailureNotingOperator op_;
  NamedFileDialogs dialogs_;
  ConsoleView view_;
  parlex::ParlexRunState state_;
  parlex::ParlexSeams parlexSeams_;
  parlex::ManualPresenter presenter_;
  bool failed_ = false;
  bool selectionRefused_ = false;  // the last :addr named no listener
  HistoryFile history_;
};

}  // namespace

int RunParlexConsole(ParlexConsoleSeams& seams, std::istream& in, std::ostream& out, std::ostream& err) {
  Session session(seams, out, err);
  session.Start();
  std::string line;
  for (;;) {
    // One line at most kParlexLineLimit long: /dev/zero or a stream without line ends on the
    // input must not fill the memory. Such input is no message typed by anyone: it ends the
    // session as failed.
    line.clear();
    int c = 0;
    while ((c = in.get()) != std::char_traits<char>::eof() && c != '\n' && line.size() <= kParlexLineLimit)
      line += static_cast<char>(c);
    if (line.size() > kParlexLineLimit) {
      err << "A line of more than " << kParlexLineLimit << " characters came in; it is no message. The session ends.\n";
      return kParlexExitFailed;
    }
    const bool last = c == std::char_traits<char>::eof();
    if (last && line.empty()) break;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!session.Line(line) || last) break;
  }
  return session.Failed() ? kParlexExitFailed : kParlexExitOk;
}

}  // namespace veridane
