#pragma once
// ManualForm's logic: Parlex, the tool for talking by hand to any listener on the bus. One
// object per opening of the window; what outlives the window (the handle, the selection, the
// syntax-check methods, the warnings already given, the option flags) is in ParlexRunState,
// which the caller keeps for the whole program run.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "parlex/manual_view.h"
#include "parlex/parlex_files.h"
#include "parlex/parlex_port.h"
#include "platform/event_loop.h"
#include "platform/file_dialogs.h"
#include "platform/gpib488.h"
#include "platform/operator.h"
#include "platform/settings.h"

namespace veridane::parlex {

// "2025-02-17 - v2.1".
std::string VerPX();

// Syntax-check methods.
constexpr int16_t kSerialPollMethod = -1;
constexpr int16_t kNoSyntaxCheck = 0;
constexpr int16_t kStatusRegistersMethod = 1;

// " Syntax Checking for device at address 5 ".
std::string SyntaxFrameCaption(int address);

struct ParlexRunState {
  int16_t PxDevice = 0;
  int16_t SelectedIndex = 0;    // 1-based index into the listeners; 0 while none is selected
  int16_t SelectedAddress = 0;
  std::array<int16_t, 15> SyntaxMethod{};
  std::array<bool, 10> OptionChanged{};
  bool IncomingFileWarned = false;
  bool OutgoingFileWarned = false;
  int BlinkCount = 0;
};

struct ParlexSeams {
  Gpib488& driver;
  Operator& op;
  EventLoop& loop;
  Settings& settings;
  FileDialogs& dialogs;
  std::string toolFolder;          // the Parlex folder (its "Simulated" subfolder on a simulated bench)
  std::vector<int16_t> listeners;  // primary addresses found at start-up, at most 14
  DriverTimeout deviceTimeout = DriverTimeout::ThreeSeconds;
  std::string captionMark;         // appended to the caption (the simulated-bench mark)
};

class ManualPresenter {
 public:
  ManualPresenter(ParlexSeams& seams, ParlexRunState& state, ManualView& view);

  // --- lifecycle ---
  void Load();
  void Activate();  // the first activation's work; later calls do nothing
  // The unsaved-list question; false keeps the window open.
  bool QueryUnload();
  void Unload();

  // --- sending and the two boxes ---
  void SendMessage();
  void PrintMessageList(std::string_view text);
  void HelpMenu();
  void ClearIncoming();
  void OutgoingEdited(std::string_view text);  // typed: no entry selected
  void EntryPicked(int index);
  void OutgoingFocusReceived();
  void OutgoingFocusLost();
  // A character typed in the Outgoing Message box: the character to insert, or 0 when the key
  // was handled (Enter).
  char KeyTyped(char key);
  // A key released in the Outgoing Message box, by its key code (40 = Down arrow).
  void KeyReleased(int keyCode);
  // A key typed in the Incoming Message box (13 Enter, 9 Tab).
  void IncomingKeyTyped(int key);
  void OptionClicked(std::string_view name, bool checked);
  void AutoClearClicked();

  // --- message lists ---
  void LoadMessageList(const std::string& file);
  void WriteMessageList(std::string& file);
  void SaveDefaultMessageList(bool& failed);
  void SortMessageList();
  void ClrMessageList();
  void SaveMessageList();
  void LoadStartupMessageList();
  void RestoreMessageList();
  void ImportAlternateMessageList();
  void SaveAlternateMessageList();
  void DeleteOutgoingMessageEntry();

  // --- addressing ---
  void AddressClick(int index);
  void AddressDoubleClick(int index);
  void IdAll();
  void SelectDevice();
  void EnableSyntaxCheck();
  void About();

  // --- syntax check ---
  void SyntaxCheckClose(int method);
  void CheckSyntax();
  void ShowSyntaxErrorMessage();
  void Timer1Tick();

  // --- file transfers ---
  void SendtoFileOnceClick();
  void SendToFileClick();
  void SendToDevice();
  void DisplayFile();
  // Asks a running capture to stop after the chunk it is reading.
  void CancelTransfer() { cancelRequested_ = true; }
  bool TransferRunning() const { return transferRunning_; }

  // --- state ---
  const ManualControls& Controls() const { return c_; }
  const ParlexRunState& State() const { return s_; }
  bool ListChanged() const { return listChanged_; }
  bool Activated() const { return activated_; }
  const std::string& ToolFolder() const { return toolFolder_; }
  const std::string& StartupListFile() const { return startupListFile_; }
  const std::string& SelectedDataFolder() const { return selectedDataFolder_; }
  ParlexPort& Port() { return port_; }

 private:
  // Control state, kept here and shown by the view.
  void Enable(std::string_view name, bool enabled);
  void Check(std::string_view name, bool checked);
  void SetLabel(std::string_view name, std::string_view text);
  void ShowSyntaxError(bool visible);
  void SetList(std::vector<std::string> entries);
  void SetOutgoingText(std::string text);  // the box's change rule applies
  void Select(int index);                  // an entry becomes the Outgoing Message text
  void SetIncoming(std::string text);
  void Focus(std::string_view name);
  void FocusOutgoingIfEnabled();
  void EnableClearIncoming();
  void MarkListChanged();
  void SetTimer(bool enabled);
  void ShowAddress(int index);

  int16_t CurrentMethod() const;
  int ListenerCount() const { return static_cast<int>(seams_.listeners.size()); }
  void PrepareSyntaxCheck();
  void WriteWithOptions(const std::string& message);
  void FinishSend(bool historyUpdate);
  bool CaptureToFile(const std::string& message);
  void ReadAnswerToFile(const std::string& path);
  bool LoadListFile(const std::string& file);
  void ReportUnreadable(const std::string& file);
  void ReadOptions();
  void WriteOptions();
  BoxAnswer Ask(std::string_view text, BoxStyle style, std::string_view caption);
  void Busy(bool busy);

  ParlexSeams& seams_;
  ParlexRunState& s_;
  ManualView& view_;
  ParlexPort port_;
  ManualControls c_;
  std::string toolFolder_;
  std::string startupListFile_;
  std::string selectedDataFolder_;
  bool listChanged_ = false;
  bool activated_ = false;
  bool deviceChosen_ = false;  // a device was selected since the window was loaded
  bool transferRunning_ = false;
  bool cancelRequested_ = false;
};

}  // namespace veridane::parlex
