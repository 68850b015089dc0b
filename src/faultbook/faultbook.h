#pragma once
// Faultbook: the error log the scope under test keeps internally, read, listed and cleared
// through the scope's service commands. The window shows what this keeps (the entries, the
// summary line and which commands make sense); the file and the printout are made from it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace veridane {

class GpibBus;
struct ScopeIdentity;

// The tool's line in the module versions box.
std::string VerErr();

// " 3 logged errors found.", " 1 logged error found.", " No logged errors found."
std::string ErrorLogSummary(size_t count);
// " Reading the error log ... 37 entries so far."
std::string ErrorLogReading(size_t count);

class Faultbook {
 public:
  // The scope is the one start-up found and identified; its handle must not be 0.
  Faultbook(GpibBus& bus, const ScopeIdentity& scope);

  // The window caption once connected: base + "   -   Connected to TDS 340 @ GPIB Addr: 1".
  std::string ConnectedCaption(const std::string& baseCaption);
  // The scope's primary address: where start-up's search found it, else the driver's answer.
  int16_t ScopeAddress();

  // Headers off and the service password, as every read of the log needs.
  void Unlock();
  // Told the number of entries read so far after each one: a long log takes a while.
  using Progress = std::function<void(size_t entriesSoFar)>;
  // The whole log from the scope into the list (which it replaces).
  void ReadErrorLog(const Progress& progress = {});
  // Unlock, then read the log again.
  void Refresh(const Progress& progress = {});
  // Clears the log in the scope and reads it back, so that a refused clear shows in the list.
  // The operator's two confirmations belong to the caller (ConfirmClear).
  void ClearInScope();

  const ScopeIdentity& Scope() const { return scope_; }
  const std::vector<std::string>& List1() const { return list_; }
  const std::string& Label1() const { return label_; }
  // Clear, Print and Copy to File only make sense with entries in the list.
  bool CommandsEnabled() const { return !list_.empty(); }
  // The reading stopped at the safety limit instead of the scope's end marker.
  bool Truncated() const { return truncated_; }

 private:
  GpibBus& bus_;
  const ScopeIdentity& scope_;
  std::vector<std::string> list_;
  std::string label_;
  bool truncated_ = false;
};

class Operator;

// Asks twice; true only when both answers were Yes.
bool ConfirmClear(Operator& op);

}  // namespace veridane
