#pragma once
// ManualForm as its logic sees it: controls reached by their names, the row of address
// buttons, the Outgoing Message list and the two message boxes, and the two small modal
// windows. The Qt window and the tests' recording view implement it; the logic keeps the state
// of every control itself (ManualControls), so the view only shows it.
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veridane::parlex {

// Controls and menu items by their names.
namespace control {
inline constexpr std::string_view kSendMessageList = "SendMessageList";
inline constexpr std::string_view kReceivedMessages = "ReceivedMessages";
inline constexpr std::string_view kSendMessage = "SendMessage";
inline constexpr std::string_view kDelete = "DeleteOutgoingMessageEntry";
inline constexpr std::string_view kClearHistory = "ClearHistory";
inline constexpr std::string_view kClearIncoming = "ClearIncoming";
inline constexpr std::string_view kIdAll = "IdAll";
inline constexpr std::string_view kAddressButton0 = "AddressButton0";
// Check boxes.
inline constexpr std::string_view kAddCR = "pxAddCR";
inline constexpr std::string_view kAddLF = "pxAddLF";
inline constexpr std::string_view kCaps = "Caps";
inline constexpr std::string_view kCheckListForMatch = "CheckListForMatch";
inline constexpr std::string_view kAllowMultiple = "AllowMultipleCommands";
inline constexpr std::string_view kSelectNext = "pxSelectNextListItem";
inline constexpr std::string_view kID = "pxID";
inline constexpr std::string_view kIDN = "pxIDN";
// Menus and menu items.
inline constexpr std::string_view kEnableSyntaxCheck = "EnableSyntaxCheck";
inline constexpr std::string_view kAutoClear = "AutoClear";
inline constexpr std::string_view kSendtoFileOnce = "SendtoFileOnce";
inline constexpr std::string_view kSendToFile = "SendToFile";
inline constexpr std::string_view kSendToDevice = "SendToDevice";
inline constexpr std::string_view kHistory = "History";
inline constexpr std::string_view kLoadStartup = "LoadStartupMessageList";
inline constexpr std::string_view kClrIncoming = "ClrIncoming";
inline constexpr std::string_view kHelp = "Help";
// Labels.
inline constexpr std::string_view kReceivedCharacters = "ReceivedCharacters";
inline constexpr std::string_view kOutGoingFile = "OutGoingFile";
}  // namespace control

constexpr int kAddressButtons = 14;

struct AddressButtonState {
  std::string caption;
  bool enabled = false;
  bool pressed = false;
  bool bold = false;
  bool blue = false;
};

// What the window shows; the logic's own record of it.
struct ManualControls {
  std::string caption;
  std::map<std::string, bool, std::less<>> enabled;
  std::map<std::string, bool, std::less<>> checked;
  std::map<std::string, std::string, std::less<>> labels;
  bool syntaxErrorVisible = false;
  std::array<AddressButtonState, kAddressButtons> address;
  std::vector<std::string> list;  // the Outgoing Message list, "<Help>" first
  int selected = -1;              // selected entry; -1 when the text was typed
  std::string outgoing;           // the Outgoing Message text
  std::string incoming;           // the Incoming Message box
  bool timerEnabled = false;      // Timer1, 200 ms
  std::string focus;

  bool Enabled(std::string_view name) const;
  bool Checked(std::string_view name) const;
  std::string Label(std::string_view name) const;
};

class ManualView {
 public:
  virtual ~ManualView() = default;

  virtual void SetCaption(std::string_view caption) = 0;
  virtual void SetEnabled(std::string_view name, bool enabled) = 0;
  virtual void SetChecked(std::string_view name, bool checked) = 0;
  virtual void SetLabel(std::string_view name, std::string_view text) = 0;
  virtual void SetSyntaxErrorVisible(bool visible) = 0;
  virtual void SetAddressButton(int index, const AddressButtonState& state) = 0;
  virtual void SetMessageList(const std::vector<std::string>& entries) = 0;
  // The Outgoing Message text; the caret goes to its end.
  virtual void SetOutgoing(std::string_view text) = 0;
  // Marks part of the Outgoing Message text (the completed part), so typing replaces it.
  virtual void SelectOutgoingPart(size_t start, size_t length) = 0;
  virtual void SetIncoming(std::string_view text) = 0;
  virtual void SetFocus(std::string_view name) = 0;
  // Timer1: while enabled, the view calls Timer1Tick every 200 ms.
  virtual void SetTimerEnabled(bool enabled) = 0;
  // SyntaxCheckForm, modal: the method chosen with "&Close", or nothing when the window was
  // closed another way.
  virtual std::optional<int> RunSyntaxCheckForm(std::string_view frameCaption, int method) = 0;
  // pxAboutForm, modal.
  virtual void ShowAbout() = 0;
};

}  // namespace veridane::parlex
