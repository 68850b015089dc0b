#pragma once
// Parlex's one device handle (PxDevice) on the raw driver, re-pointed at whichever listener
// is selected. Writes and reads report to the technician exactly as the rest of the program
// does (the "GPIB ERROR #" box with OK / Cancel, the "I/O Error" of a failed read), but the
// handle is Parlex's own: it never takes an address from the instruments the tests use.
#include <cstdint>
#include <string>
#include <string_view>

#include "gpib/driver/gpib_driver.h"
#include "platform/event_loop.h"
#include "platform/gpib488.h"
#include "platform/operator.h"

namespace veridane::parlex {

constexpr int16_t kBoard = 0;
constexpr int16_t kWaitTimoOrCmpl = 0x4100;
constexpr int16_t kWaitTimoOrRqs = 0x4800;

class ParlexPort {
 public:
  ParlexPort(Gpib488& driver, Operator& op, EventLoop& loop);

  // PxDevice: a general handle pointed at address with the given timeout. 0 when the driver
  // refused one (reported like any driver error).
  int16_t Open(int16_t address, DriverTimeout timeout);
  void Attach(int16_t handle) { handle_ = handle; }
  int16_t Handle() const { return handle_; }

  // --- plain driver calls on PxDevice; status copied, nothing reported ---
  void ibpad(int16_t address);
  void ibwrt(std::string_view text);
  uint8_t ibrsp();
  void ibtmo(DriverTimeout timeout);
  int16_t ibask(int option);
  DriverTimeout CurrentTimeout() { return static_cast<DriverTimeout>(ibask(kIbaTmo)); }
  void ibwait(int16_t mask);
  // Up to buffer.size() bytes into the front of buffer; ibcntl counts them.
  void ibrd(std::string& buffer);
  void ibwrtf(const std::string& path);
  void DevClear(int16_t address);

  // --- with the operator reports ---
  // Clears GpibWriteFailed, writes, then GpibErrorCheck.
  void GpibWrite(std::string_view text);
  // Reads the answer in 512-character chunks until END with a 10 s timeout; trailing line
  // ends removed. Empty after a failed read, with the "I/O Error" message.
  std::string GpibRead();
  // A driver error in the status: OK carries on with GpibWriteFailed set, Cancel ends the
  // program.
  void GpibErrorCheck();

  StatusVars status;
  bool GpibWriteFailed = false;

  Operator& op() { return op_; }
  EventLoop& loop() { return loop_; }

 private:
  void Copy() { status.CopyFrom(driver_.Status()); }
  Gpib488& driver_;
  Operator& op_;
  EventLoop& loop_;
  int16_t handle_ = 0;
};

}  // namespace veridane::parlex
