// Sending a message, the answer in the Incoming Message box, the help text and the history.
#include "parlex/manual_presenter.h"
#include "parlex/message_text.h"
#include "platform/text8.h"

namespace veridane::parlex {

namespace {
constexpr int kPollLimit = 25;
constexpr std::string_view kTooLargeCaption = "Too large string - 30k list limit exceeded";
}  // namespace

int16_t ManualPresenter::CurrentMethod() const {
  if (s_.SelectedIndex < 0 || s_.SelectedIndex >= static_cast<int16_t>(s_.SyntaxMethod.size())) return 0;
  return s_.SyntaxMethod[static_cast<size_t>(s_.SelectedIndex)];
}

void ManualPresenter::PrepareSyntaxCheck() {
  // Pending service requests from earlier messages would read as an error of this one.
  int16_t method = CurrentMethod();
  if (method == kNoSyntaxCheck) return;
  if (method == kStatusRegistersMethod) port_.ibwrt("*CLS");
  for (int i = 0; i < kPollLimit; ++i) {
    uint8_t statusByte = port_.ibrsp();
    if (statusByte == 0 || port_.status.Err()) break;
  }
}

void ManualPresenter::WriteWithOptions(const std::string& message) {
  std::string text = message;
  if (c_.Checked(control::kAddCR)) text += '\r';
  if (c_.Checked(control::kAddLF)) text += '\n';
  port_.GpibWrite(text);
  if (CurrentMethod() != kNoSyntaxCheck) CheckSyntax();
}

void ManualPresenter::SendMessage() {
  const std::string text = c_.outgoing;
  if (Trim(text).empty()) {
    Focus(control::kSendMessageList);
    return;
  }
  if (text == kHelpEntry && !c_.Enabled(control::kHelp)) {
    c_.selected = -1;
    SetOutgoingText("");
    Focus(control::kSendMessageList);
    return;
  }
  SetLabel(control::kReceivedCharacters, "");
  ShowSyntaxError(false);
  PrepareSyntaxCheck();

  std::string message = Trim(text);
  bool completed = true;
  if (IsQuery(text)) {
    message = QueryMessage(message);
    if (c_.Checked(control::kSendToFile) || c_.Checked(control::kSendtoFileOnce)) {
      completed = CaptureToFile(message);
    } else {
      if (c_.Checked(control::kAutoClear) && c_.Enabled(control::kAutoClear)) SetIncoming("");
      if (!message.empty()) WriteWithOptions(message);
      if (!port_.GpibWriteFailed) {
        Busy(true);
        seams_.loop.ProcessEvents();
        std::string answer = port_.GpibRead();
        Busy(false);
        PrintMessageList(answer);
      }
    }
  } else if (text == kHelpEntry) {
    SetIncoming(c_.incoming + HelpText());
    c_.selected = -1;
    SetOutgoingText("");
    Enable(control::kDelete, false);
    EnableClearIncoming();
    Enable(control::kHelp, false);
  } else {
    WriteWithOptions(message);
  }
  FinishSend(completed);
}

void ManualPresenter::FinishSend(bool historyUpdate) {
  if (historyUpdate && !c_.outgoing.empty() && c_.selected < 0) {
    std::optional<size_t> found;
    if (!c_.Checked(control::kAllowMultiple)) found = FindEntry(c_.list, c_.outgoing);
    if (found) {
      Select(static_cast<int>(*found));
    } else {
      c_.list.push_back(c_.outgoing);
      view_.SetMessageList(c_.list);
      MarkListChanged();
      Select(static_cast<int>(c_.list.size()) - 1);
    }
  }
  if (c_.selected > 0) {
    Enable(control::kDelete, true);
    if (c_.Checked(control::kSendtoFileOnce)) SendtoFileOnceClick();
  } else {
    Enable(control::kDelete, false);
  }
  Busy(false);
  if (c_.Checked(control::kSelectNext) && c_.selected >= 0 && c_.selected < static_cast<int>(c_.list.size()) - 1)
    Select(c_.selected + 1);
  Focus(control::kSendMessageList);
}

void ManualPresenter::PrintMessageList(std::string_view text) {
  const size_t n = text.size();
  const size_t estimate = IncomingEstimate(n);
  if (estimate > kIncomingLimit) {
    Ask("This this Incoming Message is too large to capture.\nTry saving it to a file instead.\n\nYou will have to "
        "resend the query !",
        kOkOnly + kCritical, kTooLargeCaption);
    return;
  }
  if (estimate + c_.incoming.size() > kIncomingLimit) {
    BoxAnswer answer = Ask(
        "To capture this Incoming Message the previous must be cleared.\n\nIf you select cancel you will have to "
        "resend the query !",
        kOkCancel + kExclamation, kTooLargeCaption);
    if (answer == kCancel) return;
    SetIncoming("");
  }
  Busy(true);
  seams_.loop.ProcessEvents();
  SetIncoming(c_.incoming + IncomingLines(text, s_.SelectedAddress));
  SetLabel(control::kReceivedCharacters, " " + std::to_string(n) + " ");
  EnableClearIncoming();
  Busy(false);
}

void ManualPresenter::HelpMenu() {
  Select(0);
  SendMessage();
  Enable(control::kSendMessageList, false);
  Enable(control::kSendMessage, false);
}

void ManualPresenter::ClearIncoming() {
  SetIncoming("");
  if (c_.selected == 0) {
    c_.selected = -1;
    SetOutgoingText("");
  }
  ShowSyntaxError(false);
  SetLabel(control::kReceivedCharacters, "");
  Enable(control::kClearIncoming, false);
  Enable(control::kClrIncoming, false);
  Enable(control::kHelp, true);
  // Before a device is chosen the box stays closed, or a message would go to a device
  // nobody selected.
  if (deviceChosen_) {
    Enable(control::kSendMessageList, true);
    Focus(control::kSendMessageList);
  }
}

}  // namespace veridane::parlex
