#include "sim/scope/status_registers.h"

namespace veridane::sim {

namespace {
// The family keeps a bounded event queue; the oldest events give way.
constexpr size_t kEventQueueSize = 32;
}  // namespace

StatusRegisters::StatusRegisters() { Raise(kPowerOn, 401, "Power on"); }

void StatusRegisters::Raise(EventBit bit, int code, std::string message) {
  if (!(dese_ & bit)) return;
  esr_ |= bit;
  if (events_.size() == kEventQueueSize) events_.pop_front();
  events_.push_back({code, std::move(message)});
}

void StatusRegisters::SetEse(int mask) { ese_ = static_cast<uint8_t>(mask); }

void StatusRegisters::SetSre(int mask) {
  // Bit 6 of the enable cannot be set (488.2).
  sre_ = static_cast<uint8_t>(mask) & static_cast<uint8_t>(~kRequestService);
}

int StatusRegisters::ReadAndClearEsr() {
  int value = esr_;
  esr_ = 0;
  return value;
}

void StatusRegisters::Clear() {
  esr_ = 0;
  events_.clear();
}

void StatusRegisters::FactoryEnables() {
  dese_ = 0xFF;
  ese_ = 0;
  sre_ = 0;
}

uint8_t StatusRegisters::Summary(bool messageAvailable) const {
  uint8_t stb = 0;
  if (messageAvailable) stb |= kMessageAvailable;
  if (esr_ & ese_) stb |= kEventSummary;
  return stb;
}

// A service request starts when an enabled summary bit appears; it is not renewed while the
// same condition simply persists after a poll.
void StatusRegisters::Update(bool messageAvailable) {
  bool set = (Summary(messageAvailable) & sre_) != 0;
  if (set && !summaryWasSet_) rqs_ = true;
  if (!set) rqs_ = false;
  summaryWasSet_ = set;
}

uint8_t StatusRegisters::StatusByte(bool messageAvailable) const {
  uint8_t stb = Summary(messageAvailable);
  if (stb & sre_) stb |= kRequestService;
  return stb;
}

uint8_t StatusRegisters::SerialPoll(bool messageAvailable) {
  Update(messageAvailable);
  uint8_t stb = Summary(messageAvailable);
  if (rqs_) stb |= kRequestService;
  rqs_ = false;
  return stb;
}

bool StatusRegisters::RequestingService(bool messageAvailable) {
  Update(messageAvailable);
  return rqs_;
}

ScopeEvent StatusRegisters::NextEvent() {
  if (events_.empty()) return {0, "No events to report - queue empty"};
  ScopeEvent event = events_.front();
  events_.pop_front();
  return event;
}

}  // namespace veridane::sim
