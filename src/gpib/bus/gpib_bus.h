#pragma once
// The program's bus layer over the raw driver layer: the operator report of driver errors, and
// the bus operations every instrument driver and test uses (find a device by its
// identification answer, write, read, query, wait).
//
// Board 0 is the only board. A device handle of 0 means "instrument not present"; every bus
// operation given 0 ends the program through DeviceNotConfigured.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "gpib/driver/gpib_driver.h"
#include "platform/gpib488.h"
#include "platform/operator.h"

namespace veridane {

// An instrument that answered as a listener at start-up.
struct Listener {
  int16_t address = 0;  // primary address
  bool free = true;     // not yet handed out by FindDevice
  int16_t handle = 0;   // the handle handed out for it; 0 while none
};

// The listeners start-up found, in the driver's order: at most kMostListeners.
struct ListenerTable {
  static constexpr size_t kMostListeners = 14;
  std::vector<Listener> found;

  size_t FreeCount() const;
  // The primary addresses, for the tools that talk to the listeners themselves.
  std::vector<int16_t> Addresses() const;
};

struct ProbeDevice {
  int16_t handle = 0;
  bool open = false;
};

class GpibBus : public GpibDriver {
 public:
  GpibBus(Gpib488& driver, Operator& op, EventLoop& loop);

  // --- bus layer ---
  // Reports a driver error (ERR in ibsta) to the operator: OK continues with GpibWriteFailed
  // set, Cancel ends the program.
  void GpibErrorCheck();
  // mode 1: errors end the program; -1: an empty bus is silent; other: report and go on.
  void GpibInit(int16_t mode);
  // Device handle of the first free listener whose answer to query matches expected, or 0.
  // Markers: query "!..." = no device clear before the query, query "...!" = a failed search
  // is reported but not fatal; expected "!..." = optional (no message), then "?..." = pause
  // 0.1 s before the query, expected "...!" = exact, case-sensitive match (else the upper-cased
  // answer must contain the upper-cased text). An empty query hands out one general handle
  // pointed at the first listener without claiming any address.
  int16_t FindDevice(std::string query, std::string expected);
  void GpibWrite(int16_t handle, std::string_view text);
  // The answer, read in 512-character chunks until END with a 10 s timeout, trailing line ends
  // removed; empty after a failed read ("I/O Error" shown). Afterwards the status copies are
  // those of the read, not of the timeout restore.
  std::string GpibRead(int16_t handle);
  std::string GpibQuery(int16_t handle, std::string_view text);
  // Lets the time pass with the interface's events running (Exit Test stays live); none for
  // no time or less.
  void Wait(Seconds time);
  [[noreturn]] void DeviceNotConfigured();

  ListenerTable listeners;
  ProbeDevice probe;
  DriverTimeout DeviceTimeout = DriverTimeout::ThreeSeconds;
  bool GpibWriteFailed = false;

 private:
  Operator& op_;
  EventLoop& loop_;
};

}  // namespace veridane
