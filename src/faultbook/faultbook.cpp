#include "faultbook/faultbook.h"

#include "faultbook/errlog_reply.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/numbers.h"
#include "platform/operator.h"
#include "scope/scope_identity.h"

namespace veridane {

namespace {

constexpr int16_t kIbaPad = 1;
// The scope's own log holds far fewer; this only keeps a scope that never says "end" (a
// firmware fault, a garbling adapter) from holding the window forever.
constexpr size_t kMostEntries = 10000;

}  // namespace

std::string VerErr() { return "2025-02-14 - v1.3"; }

std::string ErrorLogSummary(size_t count) {
  if (count == 0) return " No logged errors found.";
  return " " + std::to_string(count) + " logged " + (count > 1 ? "errors" : "error") + " found.";
}

std::string ErrorLogReading(size_t count) {
  return " Reading the error log ... " + std::to_string(count) + (count == 1 ? " entry" : " entries") + " so far.";
}

Faultbook::Faultbook(GpibBus& bus, const ScopeIdentity& scope) : bus_(bus), scope_(scope) {}

int16_t Faultbook::ScopeAddress() {
  // Parlex's general handle takes over listener index 1, so a scope found there may no longer
  // be in the table; the driver still knows where the handle points.
  for (const Listener& listener : bus_.listeners.found) {
    if (scope_.ScopeDevice != 0 && listener.handle == scope_.ScopeDevice) return listener.address;
  }
  return bus_.ibask(scope_.ScopeDevice, kIbaPad);
}

std::string Faultbook::ConnectedCaption(const std::string& baseCaption) {
  return baseCaption + "   -   Connected to " + scope_.ScopeModel + " @ GPIB Addr:" + PlainText(int{ScopeAddress()});
}

void Faultbook::Unlock() {
  bus_.GpibWrite(scope_.ScopeDevice, "HEAD 0");
  bus_.GpibWrite(scope_.ScopeDevice, "PASSWORD TANGELO");
}

void Faultbook::ReadErrorLog(const Progress& progress) {
  list_.clear();
  truncated_ = false;
  const int model = ModelNumber(scope_.ScopeModel);
  FirstReply first = EntriesOfFirstReply(bus_.GpibQuery(scope_.ScopeDevice, "ERRLOG?"), model);
  list_ = std::move(first.entries);
  if (progress) progress(list_.size());
  // An end marker in the first reply ends the log: whatever the scope might give after it is
  // not part of the log.
  while (!first.ended) {
    if (list_.size() >= kMostEntries) {
      truncated_ = true;
      break;
    }
    std::optional<std::string> entry = EntryOfNextReply(bus_.GpibQuery(scope_.ScopeDevice, "ERRLOG:NEXT?"), model);
    if (!entry) break;
    list_.push_back(std::move(*entry));
    if (progress) progress(list_.size());
  }
  label_ = ErrorLogSummary(list_.size());
}

void Faultbook::Refresh(const Progress& progress) {
  Unlock();
  ReadErrorLog(progress);
}

void Faultbook::ClearInScope() {
  // The password of the last read still holds; a scope that refused shows it in the new list.
  bus_.GpibWrite(scope_.ScopeDevice, "ERRLOG CLEAR");
  ReadErrorLog();
}

bool ConfirmClear(Operator& op) {
  // Clearing cannot be undone: only a Yes counts, whatever else may close the box.
  if (op.ShowMessBox("This will clear the error log in the scope.\nAre you sure you want to do this ?", kYesNo,
                     "Clear Error Log") != kYes)
    return false;
  return op.ShowMessBox("Click Yes to confirm.", kYesNo, "Clear Error Log") == kYes;
}

}  // namespace veridane
