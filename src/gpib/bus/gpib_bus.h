#pragma once
// The program's bus layer: the driver wrappers with the program's copies of the driver status,
// the operator report of driver errors, and the bus operations every instrument driver and
// test uses (find a device by its identification answer, write, read, query, wait).
//
// Board 0 is the only board. A device handle of 0 means "instrument not present"; every bus
// operation given 0 ends the program through DeviceNotConfigured.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "platform/gpib488.h"
#include "platform/operator.h"

namespace veridane {

// The program's copies of the driver status, rewritten after every wrapped call. The 16-bit
// copies are the low 16 bits taken as signed, so ERR makes ibsta negative.
struct StatusVars {
  int16_t ibsta = 0;
  int16_t iberr = 0;
  int16_t ibcnt = 0;
  int32_t ibcntl = 0;

  bool Err() const { return (ibsta & kErr) != 0; }
  bool Timo() const { return (ibsta & kTimo) != 0; }
  bool End() const { return (ibsta & kEnd) != 0; }

  // Takes the driver's 32-bit values: low 16 bits as signed for the 16-bit copies.
  void CopyFrom(const GpibStatus& driverStatus);
};

struct ListenerTable {
  std::array<int16_t, 15> found{};    // [0] count, [1..14] primary addresses
  std::array<int16_t, 15> free{};     // [0] addresses not yet handed out; 0 = handed out
  std::array<int16_t, 15> handles{};  // handle handed out per index
};

struct ProbeDevice {
  int16_t handle = 0;
  bool open = false;
};

// The operator text of a driver error code ("Unknown error." for codes the driver never uses).
std::string GpibErrorText(int16_t iberr);

class GpibBus {
 public:
  GpibBus(Gpib488& driver, Operator& op, EventLoop& loop);

  // --- driver wrappers: call, then copy the status ---
  // The first call registers the status copies with the driver where the back end needs it;
  // a failed registration skips the call and leaves ERR with iberr 0 in the status.
  void SendIFC(int16_t board);
  void ibsre(int16_t board, int16_t value);
  void FindLstn(int16_t board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results, int16_t limit);
  int16_t ibdev(int16_t board, int16_t pad, int16_t sad, int16_t tmo, int16_t eot, int16_t eos);
  void ibpad(int16_t handle, int16_t pad);
  void ibclr(int16_t handle);
  int16_t ibrsp(int16_t handle);  // status byte 0..255
  void ibwrt(int16_t handle, std::string_view text);
  void ibrd(int16_t handle, std::string& buffer);
  void ibtmo(int16_t handle, int16_t code);
  int16_t ibask(int16_t handle, int16_t option);
  void ibwait(int16_t handle, int16_t mask);
  void ibloc(int16_t handle);
  void ibwrtf(int16_t handle, const std::string& path);
  void ibrdf(int16_t handle, const std::string& path);
  void DevClear(int16_t board, int16_t address);

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
  void Wait(float seconds);
  [[noreturn]] void DeviceNotConfigured();

  StatusVars status;
  ListenerTable listeners;
  ProbeDevice probe;
  int16_t DeviceTimeout = 12;
  bool GpibWriteFailed = false;

  Gpib488& driver() { return driver_; }
  Operator& op() { return op_; }
  EventLoop& loop() { return loop_; }

 private:
  bool EnsureRegistered();
  void CopyStatus();
  Gpib488& driver_;
  Operator& op_;
  EventLoop& loop_;
  bool registered_ = false;
};

}  // namespace veridane
