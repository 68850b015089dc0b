// ManualPresenter: the window's state, its lifecycle, the persisted options and the keys of the
// Outgoing Message box.
#include "parlex/manual_presenter.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include "parlex/message_text.h"
#include "platform/numbers.h"
#include "platform/text8.h"

namespace veridane::parlex {

namespace {

constexpr std::string_view kApp = "Parlex";
constexpr std::string_view kSection = "Settings";
constexpr std::string_view kSelectedDataFolderKey = "SelectedDataFolder";

struct Option {
  std::string_view key;
  std::string_view control;
  std::string_view fallback;
  bool menuCheck;  // a menu check mark rather than a check box
};

constexpr std::array<Option, 10> kOptions = {{
    {"ID", control::kID, "1", false},
    {"IDN", control::kIDN, "1", false},
    {"Find Matching Commands", control::kCheckListForMatch, "0", false},
    {"Caps Only", control::kCaps, "1", false},
    {"Allow Multiple Commands", control::kAllowMultiple, "0", false},
    {"Add CR", control::kAddCR, "0", false},
    {"Add LF", control::kAddLF, "0", false},
    {"Select Next ListItem", control::kSelectNext, "0", false},
    {"Auto Clear", control::kAutoClear, "0", true},
    {"Send To File", control::kSendToFile, "0", true},
}};

int OptionIndex(std::string_view name) {
  for (size_t i = 0; i < kOptions.size(); ++i) {
    if (kOptions[i].control == name) return static_cast<int>(i);
  }
  return -1;
}

// Key codes of the Outgoing Message box that never start a completion.
bool IsNavigationKey(int code) {
  return code == 8 || code == 9 || code == 12 || code == 13 || (code >= 16 && code <= 20) ||
         (code >= 32 && code <= 39) || (code >= 41 && code <= 47) || (code >= 112 && code <= 127) || code == 144;
}

constexpr int kKeyDown = 40;
constexpr char kEnter = 13;
constexpr int kTab = 9;

// The controls as the window is designed, before the load adjusts them.
const std::map<std::string, bool, std::less<>>& DesignEnables() {
  static const std::map<std::string, bool, std::less<>> enables = {
      {"SendMessageList", false}, {"SendMessage", false}, {"DeleteOutgoingMessageEntry", false},
      {"ClearHistory", false}, {"ClearIncoming", false}, {"Command_Exit", true}, {"IdAll", true},
      {"File", true}, {"SelectDevice", true}, {"EnableSyntaxCheck", false}, {"AutoClear", true},
      {"SendtoFileOnce", true}, {"SendToFile", true}, {"DisplayFile", true}, {"SendToDevice", false},
      {"Quit", true}, {"History", true}, {"SortMessageList", true}, {"ClrMessageList", true},
      {"SaveMessageList", true}, {"LoadStartupMessageList", false}, {"RestoreMessageList", true},
      {"ImportAlternateMessageList", true}, {"SaveAlternateMessageList", true}, {"ClrIncoming", false},
      {"Help", true}, {"About", true}};
  return enables;
}

}  // namespace

std::string VerPX() { return "2025-02-17 - v2.1"; }

bool ManualControls::Enabled(std::string_view name) const {
  auto it = enabled.find(name);
  return it != enabled.end() && it->second;
}

bool ManualControls::Checked(std::string_view name) const {
  auto it = checked.find(name);
  return it != checked.end() && it->second;
}

std::string ManualControls::Label(std::string_view name) const {
  auto it = labels.find(name);
  return it == labels.end() ? std::string() : it->second;
}

ManualPresenter::ManualPresenter(ParlexSeams& seams, ParlexRunState& state, ManualView& view)
    : seams_(seams), s_(state), view_(view), port_(seams.driver, seams.op, seams.loop) {
  port_.Attach(s_.PxDevice);
}

// --- control state ---

void ManualPresenter::Enable(std::string_view name, bool enabled) {
  c_.enabled[std::string(name)] = enabled;
  view_.SetEnabled(name, enabled);
}

void ManualPresenter::Check(std::string_view name, bool checked) {
  c_.checked[std::string(name)] = checked;
  view_.SetChecked(name, checked);
}

void ManualPresenter::SetLabel(std::string_view name, std::string_view text) {
  c_.labels[std::string(name)] = std::string(text);
  view_.SetLabel(name, text);
}

void ManualPresenter::ShowSyntaxError(bool visible) {
  c_.syntaxErrorVisible = visible;
  view_.SetSyntaxErrorVisible(visible);
}

void ManualPresenter::SetList(std::vector<std::string> entries) {
  c_.list = std::move(entries);
  view_.SetMessageList(c_.list);
  c_.selected = -1;
  SetOutgoingText("");
}

void ManualPresenter::SetOutgoingText(std::string text) {
  c_.outgoing = std::move(text);
  view_.SetOutgoing(c_.outgoing);
  const bool any = !c_.outgoing.empty();
  Enable(control::kSendMessage, any);
  Enable(control::kDelete, any);
}

void ManualPresenter::Select(int index) {
  if (index < 0 || index >= static_cast<int>(c_.list.size())) return;
  c_.selected = index;
  SetOutgoingText(c_.list[static_cast<size_t>(index)]);
}

void ManualPresenter::SetIncoming(std::string text) {
  c_.incoming = std::move(text);
  view_.SetIncoming(c_.incoming);
}

void ManualPresenter::Focus(std::string_view name) {
  c_.focus = std::string(name);
  view_.SetFocus(name);
}

void ManualPresenter::FocusOutgoingIfEnabled() {
  if (c_.Enabled(control::kSendMessageList)) Focus(control::kSendMessageList);
}

void ManualPresenter::EnableClearIncoming() {
  if (c_.Enabled(control::kClearIncoming)) return;
  Enable(control::kClearIncoming, true);
  Enable(control::kClrIncoming, true);
}

void ManualPresenter::MarkListChanged() {
  listChanged_ = true;
  Enable(control::kClearHistory, true);
  Enable(control::kLoadStartup, true);
}

void ManualPresenter::SetTimer(bool enabled) {
  c_.timerEnabled = enabled;
  view_.SetTimerEnabled(enabled);
}

void ManualPresenter::ShowAddress(int index) { view_.SetAddressButton(index, c_.address[static_cast<size_t>(index)]); }

BoxAnswer ManualPresenter::Ask(std::string_view text, BoxStyle style, std::string_view caption) {
  return seams_.op.ShowMessBox(text, style, caption);
}

void ManualPresenter::Busy(bool busy) { seams_.op.SetBusy(busy); }

// --- lifecycle ---

void ManualPresenter::Load() {
  c_.caption = "Embedded Parlex" + seams_.captionMark;
  view_.SetCaption(c_.caption);
  for (const auto& [name, enabled] : DesignEnables()) Enable(name, enabled);
  for (const Option& option : kOptions) Check(option.control, NumericValue(option.fallback) != 0);
  Check(control::kSendtoFileOnce, false);
  ShowSyntaxError(false);
  SetTimer(false);
  SetLabel(control::kReceivedCharacters, "");
  SetIncoming("");

  if (s_.PxDevice == 0 && !seams_.listeners.empty()) {
    s_.PxDevice = port_.Open(seams_.listeners.front(), seams_.deviceTimeout);
    s_.SelectedIndex = 0;
    s_.SelectedAddress = 0;
  }
  port_.Attach(s_.PxDevice);

  toolFolder_ = seams_.toolFolder;
  // On a simulated bench the folder is a subfolder of Parlex's own, which may not exist yet.
  std::error_code ignored;
  std::filesystem::create_directories(toolFolder_, ignored);
  startupListFile_ = toolFolder_ + "/StartUp.gmg";
  LoadMessageList(startupListFile_);

  for (int i = 0; i < kAddressButtons; ++i) {
    AddressButtonState button;
    if (i < ListenerCount()) {
      button.caption = std::to_string(seams_.listeners[static_cast<size_t>(i)]);
      button.enabled = true;
    }
    c_.address[static_cast<size_t>(i)] = button;
    ShowAddress(i);
  }

  if (ListenerCount() == 1) {
    s_.SelectedIndex = 1;
    s_.SelectedAddress = seams_.listeners.front();
    port_.ibpad(s_.SelectedAddress);
    c_.address[0].pressed = true;
    ShowAddress(0);
    Enable(control::kSendMessageList, true);
    Enable(control::kEnableSyntaxCheck, true);
    Enable(control::kSendToDevice, true);
    deviceChosen_ = true;
  } else {
    Enable(control::kHistory, false);
  }
}

void ManualPresenter::Activate() {
  if (activated_) return;
  activated_ = true;
  seams_.loop.ProcessEvents();
  if (ListenerCount() == 1) {
    Focus(control::kSendMessageList);
  } else {
    c_.address[0].pressed = false;
    ShowAddress(0);
    Enable(control::kDelete, false);
    Focus(control::kReceivedMessages);
  }
  selectedDataFolder_ = seams_.settings.Get(kApp, kSection, kSelectedDataFolderKey, toolFolder_);
  ReadOptions();
  if (c_.Checked(control::kSendToFile)) Enable(control::kAutoClear, false);
  Enable(control::kIdAll, c_.Checked(control::kID) || c_.Checked(control::kIDN));
}

void ManualPresenter::ReadOptions() {
  for (const Option& option : kOptions) {
    double value = NumericValue(seams_.settings.Get(kApp, kSection, option.key, option.fallback));
    Check(option.control, option.menuCheck ? value != 0 : std::lround(value) != 0);
  }
}

void ManualPresenter::WriteOptions() {
  for (size_t i = 0; i < kOptions.size(); ++i) {
    if (!s_.OptionChanged[i]) continue;
    seams_.settings.Save(kApp, kSection, kOptions[i].key, c_.Checked(kOptions[i].control) ? "1" : "0");
  }
}

bool ManualPresenter::QueryUnload() {
  if (transferRunning_) {
    // Closing in the middle of a capture stops the capture; the window stays.
    CancelTransfer();
    return false;
  }
  if (!listChanged_) return true;
  BoxAnswer answer = Ask(
      "Changes have been done to the current Outgoing Message List.\n\n\nSelect Yes to save it as the default start "
      "file.\n\nSelec No to Exit without save.\n\nSelect Cancel and go to Outgoing Message List menu to save it as "
      "an alternate Message List file.",
      kYesNoCancel + kQuestion, "Exit");
  listChanged_ = false;
  if (answer == kCancel) return false;
  if (answer == kYes) {
    std::string file = startupListFile_;
    WriteMessageList(file);
    if (file.empty()) {
      // The list could not be saved: closing now would lose it, so the window stays open
      // for the technician to save it elsewhere.
      listChanged_ = true;
      return false;
    }
  }
  return true;
}

void ManualPresenter::Unload() {
  if (selectedDataFolder_ != toolFolder_ && !selectedDataFolder_.empty())
    seams_.settings.Save(kApp, kSection, kSelectedDataFolderKey, selectedDataFolder_);
  WriteOptions();
  SetTimer(false);
  activated_ = false;
}

// --- options and keys ---

void ManualPresenter::OptionClicked(std::string_view name, bool checked) {
  Check(name, checked);
  int index = OptionIndex(name);
  if (name == control::kCaps) {
    if (activated_) {
      s_.OptionChanged[static_cast<size_t>(index)] = true;
      FocusOutgoingIfEnabled();
    }
  } else {
    if (activated_ && index >= 0) s_.OptionChanged[static_cast<size_t>(index)] = true;
    FocusOutgoingIfEnabled();
  }
  if (name == control::kID || name == control::kIDN)
    Enable(control::kIdAll, c_.Checked(control::kID) || c_.Checked(control::kIDN));
}

void ManualPresenter::AutoClearClicked() {
  Check(control::kAutoClear, !c_.Checked(control::kAutoClear));
  s_.OptionChanged[static_cast<size_t>(OptionIndex(control::kAutoClear))] = true;
  FocusOutgoingIfEnabled();
}

void ManualPresenter::OutgoingEdited(std::string_view text) {
  c_.selected = -1;
  c_.outgoing = std::string(text);
  const bool any = !c_.outgoing.empty();
  Enable(control::kSendMessage, any);
  Enable(control::kDelete, any);
}

void ManualPresenter::EntryPicked(int index) {
  Select(index);
  Focus(control::kSendMessageList);
}

void ManualPresenter::OutgoingFocusReceived() { view_.SetOutgoing(c_.outgoing); }

void ManualPresenter::OutgoingFocusLost() {
  std::string trimmed = Trim(c_.outgoing);
  if (trimmed == c_.outgoing) return;
  c_.selected = -1;
  SetOutgoingText(std::move(trimmed));
}

char ManualPresenter::KeyTyped(char key) {
  if (key == kEnter) {
    if (c_.Enabled(control::kSendMessage)) SendMessage();
    return 0;
  }
  if (c_.Checked(control::kCaps)) return UpperCase(std::string(1, key))[0];
  return key;
}

void ManualPresenter::KeyReleased(int keyCode) {
  if (keyCode == kKeyDown) {
    if (c_.outgoing == kHelpEntry) {
      if (c_.list.size() <= 1) {
        c_.selected = -1;
        SetOutgoingText("");
      } else {
        Select(1);
      }
    }
    return;
  }
  if (IsNavigationKey(keyCode) || !c_.Checked(control::kCheckListForMatch) || c_.outgoing.empty()) return;
  std::string typed = c_.outgoing;
  std::optional<size_t> match = FindCompletion(c_.list, typed);
  if (!match) return;
  Select(static_cast<int>(*match));
  view_.SelectOutgoingPart(typed.size(), c_.outgoing.size() - typed.size());
}

void ManualPresenter::IncomingKeyTyped(int key) {
  if (!c_.Enabled(control::kSendMessage) && (key == kEnter || key == kTab)) Focus(control::kAddressButton0);
}

}  // namespace veridane::parlex
