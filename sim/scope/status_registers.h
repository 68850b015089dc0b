#pragma once
// IEEE 488.2 status reporting as the family does it: events pass the device event status
// enable (DESE) into the standard event status register (SESR) and the event queue; the
// event status enable (*ESE) folds SESR into the ESB bit of the status byte; the service
// request enable (*SRE) decides which status-byte bits request service.
#include <cstdint>
#include <deque>
#include <string>

namespace veridane::sim {

// Bits of the standard event status register.
enum EventBit : uint8_t {
  kOperationComplete = 0x01,
  kRequestControl = 0x02,
  kQueryError = 0x04,
  kDeviceError = 0x08,
  kExecutionError = 0x10,
  kCommandError = 0x20,
  kUserRequest = 0x40,
  kPowerOn = 0x80,
};

// Bits of the status byte.
enum StatusBit : uint8_t {
  kMessageAvailable = 0x10,
  kEventSummary = 0x20,
  kRequestService = 0x40,
};

struct ScopeEvent {
  int code;
  std::string message;
};

class StatusRegisters {
 public:
  StatusRegisters();  // power-on: DESE 255, PON recorded

  // Records an event of one SESR bit, unless DESE masks it.
  void Raise(EventBit bit, int code, std::string message);

  void SetDese(int mask) { dese_ = static_cast<uint8_t>(mask); }
  void SetEse(int mask);
  void SetSre(int mask);
  int Dese() const { return dese_; }
  int Ese() const { return ese_; }
  int Sre() const { return sre_; }

  // *ESR?: reads and clears the register.
  int ReadAndClearEsr();
  // *CLS: clears SESR and the event queue (the output queue is not its business).
  void Clear();
  // FAC: the enables go back to their power-on values.
  void FactoryEnables();

  // The status byte with MSS in bit 6, as *STB? reports it.
  uint8_t StatusByte(bool messageAvailable) const;
  // A serial poll: the status byte with RQS in bit 6; reading it clears RQS.
  uint8_t SerialPoll(bool messageAvailable);
  // Whether the scope holds SRQ asserted.
  bool RequestingService(bool messageAvailable);
  // Looks for a new service request; called whenever the registers or the output changed.
  void Refresh(bool messageAvailable) { Update(messageAvailable); }

  // EVENT?/EVMSG?: the oldest event, or code 0 when none is left.
  ScopeEvent NextEvent();
  size_t EventCount() const { return events_.size(); }

 private:
  uint8_t Summary(bool messageAvailable) const;
  void Update(bool messageAvailable);

  uint8_t esr_ = 0;
  uint8_t dese_ = 0xFF;
  uint8_t ese_ = 0;
  uint8_t sre_ = 0;
  bool rqs_ = false;
  bool summaryWasSet_ = false;
  std::deque<ScopeEvent> events_;
};

}  // namespace veridane::sim
