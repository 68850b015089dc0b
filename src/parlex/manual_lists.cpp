// The Outgoing Message list: its files, the Message Lists menu and the X and Restore buttons.
#include "parlex/manual_presenter.h"
#include "parlex/message_text.h"

namespace veridane::parlex {

namespace {

constexpr std::string_view kListFilter = "GPIB Message Files (*.gmg)|*.gmg";
constexpr std::string_view kKeepOrSave =
    "Select Yes to continue without saving the current Outgoing Message List.\n\nSelect No if you want to save the "
    "current Outgoing Message List and go to MessageLists Menu.\n\n";
constexpr std::string_view kContinue = "Do wish to continue ?";

std::string CantWrite(const std::string& file) {
  return "Can't write to the file " + file + ". It is probably write protected.";
}

}  // namespace

bool ManualPresenter::LoadListFile(const std::string& file) {
  std::optional<std::vector<std::string>> lines = ReadListFile(file);
  if (!lines) return false;
  SetList(EntriesFromLines(*lines));
  SetLabel(control::kOutGoingFile, file);
  Enable(control::kClearHistory, false);
  Enable(control::kLoadStartup, false);
  Enable(control::kSendMessage, false);
  Enable(control::kDelete, false);
  return true;
}

void ManualPresenter::LoadMessageList(const std::string& file) {
  if (LoadListFile(file)) return;
  if (file == startupListFile_) {
    // First run, or the start-up file was removed: it is made with the default messages.
    bool failed = false;
    SaveDefaultMessageList(failed);
    if (!failed && LoadListFile(file)) return;
    // Neither readable nor writable: work with the defaults for this opening.
    std::vector<std::string> entries{std::string(kHelpEntry)};
    for (const std::string& message : DefaultMessages()) entries.push_back(message);
    SetList(std::move(entries));
    SetLabel(control::kOutGoingFile, "");
    return;
  }
  ReportUnreadable(file);
}

void ManualPresenter::ReportUnreadable(const std::string& file) {
  Ask("Can't read the file " + file + ".", kOkOnly + kExclamation, "File Read error");
}

void ManualPresenter::WriteMessageList(std::string& file) {
  if (!WriteListFile(file, LinesFromEntries(c_.list))) {
    Ask(CantWrite(file), kOkOnly + kExclamation, "File Write error");
    file.clear();
    return;
  }
  SetLabel(control::kOutGoingFile, file);
}

void ManualPresenter::SaveDefaultMessageList(bool& failed) {
  if (WriteListFile(startupListFile_, DefaultMessages())) return;
  Ask(CantWrite(startupListFile_), kOkOnly + kExclamation, "File Write error");
  failed = true;
}

void ManualPresenter::SortMessageList() {
  BoxAnswer answer = Ask(
      "This will sort the entries in the current Outgoing Message List. \nIt can't be undone but nothing will be "
      "saved.\n\nDo wish to continue ?",
      kYesNo + kQuestion, "Sort Outgoing Messages");
  if (answer == kYes) {
    SetList(SortedEntries(c_.list));
    MarkListChanged();
  }
  Focus(control::kSendMessageList);
}

void ManualPresenter::ClrMessageList() {
  std::string text = "This will clear ALL entries in the current Outgoing Message List.\n";
  if (!c_.outgoing.empty())
    text += "Select the Clear Messages button [X] if you want to clear only the currently shown Outgoing Message.\n";
  text +=
      "\nSelect Yes to continue without saving the current Outgoing List.\nIf you want to save the List select No "
      "and then go to MessageLists Menu.\n\nDo wish to continue ?";
  if (Ask(text, kYesNo + kQuestion, "Clear Outgoing Messages") == kYes) {
    SetList({std::string(kHelpEntry)});
    MarkListChanged();
    Enable(control::kDelete, false);
  }
  Focus(control::kSendMessageList);
}

void ManualPresenter::SaveMessageList() {
  BoxAnswer answer = Ask(
      "This will save the current Outgoing Message List to the file which is loaded at start up.\n\nDo wish to "
      "continue ?",
      kYesNo + kQuestion, "Save Outgoing Messages");
  if (answer == kYes) {
    std::string file = startupListFile_;
    WriteMessageList(file);
    if (!file.empty()) {
      listChanged_ = false;
      Enable(control::kClearHistory, false);
      Enable(control::kLoadStartup, false);
    }
  }
  Focus(control::kSendMessageList);
}

void ManualPresenter::LoadStartupMessageList() {
  std::string text = "This will reload the start up Outgoing Message List.\n\n";
  if (listChanged_) text += kKeepOrSave;
  text += kContinue;
  if (Ask(text, kYesNo + kQuestion, "Reload Start Up Outgoing Messages") == kYes) {
    LoadMessageList(startupListFile_);
    listChanged_ = false;
  }
  Focus(control::kSendMessageList);
}

void ManualPresenter::RestoreMessageList() {
  std::string text =
      "This will restore the Outgoing Message List with default values and save it to the start up file.\n\n";
  text += kKeepOrSave;
  text += kContinue;
  if (Ask(text, kYesNo + kQuestion, "Restore Outgoing Messages") == kYes) {
    bool failed = false;
    SaveDefaultMessageList(failed);
    if (!failed) {
      LoadMessageList(startupListFile_);
      listChanged_ = false;
    }
  }
  Focus(control::kSendMessageList);
}

void ManualPresenter::ImportAlternateMessageList() {
  if (listChanged_) {
    std::string text =
        "This will load an alternate Outgoing Message List. The current Outgoing Message List will be "
        "discarded.\n\n";
    text += kKeepOrSave;
    text += kContinue;
    if (Ask(text, kYesNo + kQuestion, "Load Alternate Outgoing Messages") != kYes) {
      Focus(control::kSendMessageList);
      return;
    }
  }
  std::string file = seams_.dialogs
                         .OpenFile({"Load Alternative Outgoing Message List", toolFolder_, "", std::string(kListFilter)})
                         .value_or("");
  if (!file.empty()) {
    // A file that cannot be read leaves the list as it was; never the start-up file's defaults.
    if (LoadListFile(file)) {
      MarkListChanged();
    } else {
      ReportUnreadable(file);
    }
  }
  Focus(control::kSendMessageList);
}

void ManualPresenter::SaveAlternateMessageList() {
  std::string file =
      seams_.dialogs
          .SaveFile({"Save Alternate Outgoing Message List", toolFolder_, "Message", std::string(kListFilter)})
          .value_or("");
  if (!file.empty()) {
    selectedDataFolder_ = FolderOf(file);
    WriteMessageList(file);
    if (!file.empty()) listChanged_ = false;
  }
  Focus(control::kSendMessageList);
}

void ManualPresenter::DeleteOutgoingMessageEntry() {
  const int k = c_.selected;
  if (k <= 0) {
    c_.selected = -1;
    SetOutgoingText("");
    Focus(control::kSendMessageList);
    return;
  }
  if (Ask("Do you really want to delete the selected entry in Outgoing Message List ?", kYesNo, "Delete Entry") !=
      kYes) {
    Focus(control::kSendMessageList);
    return;
  }
  c_.list.erase(c_.list.begin() + k);
  view_.SetMessageList(c_.list);
  listChanged_ = true;
  const bool onlyHelp = c_.list.size() == 1;
  Enable(control::kClearHistory, true);
  Enable(control::kLoadStartup, true);
  Select(k > 1 || onlyHelp ? k - 1 : 1);
  if (onlyHelp) Enable(control::kDelete, false);
  Focus(control::kSendMessageList);
}

}  // namespace veridane::parlex
