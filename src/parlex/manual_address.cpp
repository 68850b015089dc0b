// Choosing the device, identifying every listener, and the syntax check after each write.
#include "parlex/manual_presenter.h"
#include "parlex/message_text.h"
#include "platform/text8.h"

namespace veridane::parlex {

namespace {

constexpr size_t kIdBufferSize = 512;
constexpr int kBlinkTicks = 7;

std::string WithoutLineEnds(std::string text) {
  std::string out;
  for (char c : text) {
    if (c != '\n' && c != '\r') out += c;
  }
  return out;
}

}  // namespace

std::string SyntaxFrameCaption(int address) {
  return " Syntax Checking for device at address " + std::to_string(address) + " ";
}

void ManualPresenter::AddressClick(int index) {
  if (index < 0 || index >= ListenerCount()) return;
  s_.SelectedIndex = static_cast<int16_t>(index + 1);
  s_.SelectedAddress = seams_.listeners[static_cast<size_t>(index)];
  port_.ibpad(s_.SelectedAddress);
  deviceChosen_ = true;
  Enable(control::kEnableSyntaxCheck, true);
  Enable(control::kSendToDevice, true);
  for (int j = 0; j < ListenerCount(); ++j) {
    auto& button = c_.address[static_cast<size_t>(j)];
    button.bold = j == index;
    button.pressed = j == index;
    ShowAddress(j);
  }
  if (!c_.Enabled(control::kSendMessageList)) {
    Enable(control::kHistory, true);
    Enable(control::kSendMessageList, true);
  }
  Focus(control::kSendMessageList);
}

void ManualPresenter::AddressDoubleClick(int index) {
  AddressClick(index);
  EnableSyntaxCheck();
}

void ManualPresenter::EnableSyntaxCheck() {
  if (s_.SelectedIndex <= 0) return;
  std::optional<int> method = view_.RunSyntaxCheckForm(SyntaxFrameCaption(s_.SelectedAddress), CurrentMethod());
  if (method) SyntaxCheckClose(*method);
  Focus(control::kSendMessageList);
}

void ManualPresenter::SyntaxCheckClose(int method) {
  if (s_.SelectedIndex <= 0 || s_.SelectedIndex > ListenerCount()) return;
  if (method == kStatusRegistersMethod) {
    // Only a command error may raise the event summary, and it or a waiting answer requests
    // service.
    port_.DevClear(s_.SelectedAddress);
    port_.ibwrt("DESE 32");
    port_.ibwrt("*ESE 32");
    port_.ibwrt("*SRE 48");
  }
  s_.SyntaxMethod[static_cast<size_t>(s_.SelectedIndex)] = static_cast<int16_t>(method);
  auto& button = c_.address[static_cast<size_t>(s_.SelectedIndex - 1)];
  button.blue = method != kNoSyntaxCheck;
  ShowAddress(s_.SelectedIndex - 1);
}

void ManualPresenter::CheckSyntax() {
  const int16_t method = CurrentMethod();
  DriverTimeout noted = port_.CurrentTimeout();
  bool changed = noted != DriverTimeout::ThreeHundredMilliseconds;
  if (changed) port_.ibtmo(DriverTimeout::ThreeHundredMilliseconds);
  port_.ibwait(kWaitTimoOrRqs);
  if (changed) port_.ibtmo(noted);
  uint8_t statusByte = port_.ibrsp();
  bool error = method == kSerialPollMethod ? (statusByte == 97 || statusByte == 113)
                                           : (statusByte == 96 || statusByte == 112);
  if (error) {
    ShowSyntaxErrorMessage();
    port_.GpibWriteFailed = true;
  }
}

void ManualPresenter::ShowSyntaxErrorMessage() { SetTimer(true); }

void ManualPresenter::Timer1Tick() {
  if (!c_.timerEnabled) return;
  ++s_.BlinkCount;
  ShowSyntaxError(!c_.syntaxErrorVisible);
  if (s_.BlinkCount >= kBlinkTicks) {
    s_.BlinkCount = 0;
    SetTimer(false);
    ShowSyntaxError(true);
  }
}

void ManualPresenter::IdAll() {
  const bool askId = c_.Checked(control::kID);
  const bool askIdn = c_.Checked(control::kIDN);
  if (!askId && !askIdn) return;
  if (c_.Checked(control::kAutoClear) && c_.Enabled(control::kAutoClear)) {
    SetIncoming("");
    Enable(control::kHelp, true);
  }
  const int16_t noted = s_.SelectedAddress;
  Busy(true);
  for (int i = ListenerCount() - 1; i >= 0; --i) {
    s_.SelectedAddress = seams_.listeners[static_cast<size_t>(i)];
    port_.ibpad(s_.SelectedAddress);
    port_.ibtmo(DriverTimeout::ThreeHundredMilliseconds);

    std::vector<std::string> attempts{askId ? "ID?" : "*IDN?"};
    if (askId && askIdn) attempts.push_back("*IDN?");
    bool answered = false;
    std::string buffer;
    for (const std::string& query : attempts) {
      std::string text = query;
      if (c_.Checked(control::kAddCR)) text += '\r';
      if (c_.Checked(control::kAddLF)) text += '\n';
      port_.GpibWrite(text);
      port_.ibwait(kWaitTimoOrCmpl);
      buffer.assign(kIdBufferSize, ' ');
      port_.ibrd(buffer);
      answered = !port_.status.Timo();
      if (answered) break;
    }
    std::string answer = answered ? WithoutLineEnds(Trim(buffer)) : "No response";
    PrintMessageList(Trim(answer));
    Busy(true);
    port_.ibtmo(seams_.deviceTimeout);
  }
  s_.SelectedAddress = noted;
  // Before any selection the handle goes back to the listener it was opened on.
  port_.ibpad(s_.SelectedIndex > 0 ? noted : seams_.listeners.empty() ? int16_t{0} : seams_.listeners.front());
  Busy(false);
  SetLabel(control::kReceivedCharacters, "");
  FocusOutgoingIfEnabled();
}

void ManualPresenter::SelectDevice() {
  Ask("Select a device with the buttons under Device Address.", kOkOnly, "Select Device");
  FocusOutgoingIfEnabled();
}

void ManualPresenter::About() {
  view_.ShowAbout();
  FocusOutgoingIfEnabled();
}

}  // namespace veridane::parlex
