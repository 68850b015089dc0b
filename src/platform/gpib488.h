#pragma once
// The NI-488.2 driver calls the program makes, with the driver's status semantics: after every
// call Status() holds the driver's ibsta, iberr and ibcntl (32-bit, as the driver reports
// them). Back ends only move bytes and report status; the program's policy (chunked reads,
// timeouts, operator messages) lives once, in gpib/.
//
// Back ends: the simulated bus (sim/), the NI-488.2 / linux-gpib library loaded at run time,
// Prologix-compatible adapters; tests use a recording fake.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veridane {

// Status word bits.
constexpr int32_t kErr = 0x8000;
constexpr int32_t kTimo = 0x4000;
constexpr int32_t kEnd = 0x2000;
constexpr int32_t kCmpl = 0x0100;

// Error codes (iberr).
constexpr int32_t kEdvr = 0;   // operating system error
constexpr int32_t kEcic = 1;   // board not controller in charge
constexpr int32_t kEnol = 2;   // no listener on write
constexpr int32_t kEadr = 3;
constexpr int32_t kEarg = 4;
constexpr int32_t kEsac = 5;
constexpr int32_t kEabo = 6;   // I/O aborted: timeout
constexpr int32_t kEneb = 7;   // non-existent board
constexpr int32_t kEfso = 12;  // file system error
constexpr int32_t kEbus = 14;  // bus error; FindLstn: no listener
constexpr int32_t kEtab = 20;  // table problem; FindLstn: more listeners than the limit

constexpr int16_t kNoAddr = -1;  // ends an address list
constexpr int kIbaTmo = 3;       // ibask option: current timeout code

// Timeout codes 0..17 in seconds (0 = none).
double TimeoutSeconds(int code);

// The driver's timeouts, named by the time they allow; the number is the code ibtmo and ibdev
// take and ibask reports. A code a driver reported is kept as it came, named or not.
enum class DriverTimeout : int16_t {
  None = 0,
  TenMicroseconds = 1,
  ThirtyMicroseconds = 2,
  HundredMicroseconds = 3,
  ThreeHundredMicroseconds = 4,
  OneMillisecond = 5,
  ThreeMilliseconds = 6,
  TenMilliseconds = 7,
  ThirtyMilliseconds = 8,
  HundredMilliseconds = 9,
  ThreeHundredMilliseconds = 10,
  OneSecond = 11,
  ThreeSeconds = 12,
  TenSeconds = 13,
  ThirtySeconds = 14,
  HundredSeconds = 15,
  ThreeHundredSeconds = 16,
  ThousandSeconds = 17,
};
constexpr int16_t TimeoutCode(DriverTimeout timeout) { return static_cast<int16_t>(timeout); }

struct GpibStatus {
  int32_t ibsta = 0;
  int32_t iberr = 0;
  int32_t ibcntl = 0;
};

class Gpib488 {
 public:
  virtual ~Gpib488() = default;

  // Status after the last call.
  virtual GpibStatus Status() const = 0;

  // Per-thread registration of the status variables, for libraries that need it:
  // 0 registered, 1 another set was registered, 2 or 3 failed.
  virtual int RegisterGlobals() { return 0; }
  virtual void UnregisterGlobals() {}

  virtual void SendIFC(int board) = 0;
  virtual void ibsre(int board, int value) = 0;
  // addresses ends with kNoAddr; results receives the listeners' primary addresses from entry
  // 0 (the controller board itself answers at address 0), followed by 0 when fewer than limit.
  virtual void FindLstn(int board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results,
                        int limit) = 0;
  // Returns the new device handle, or -1 with ERR.
  virtual int ibdev(int board, int pad, int sad, int tmo, int eot, int eos) = 0;
  virtual void ibpad(int ud, int pad) = 0;
  virtual void ibclr(int ud) = 0;
  virtual void ibrsp(int ud, uint8_t& statusByte) = 0;
  // Bytes sent as they are (8-bit text), EOI with the last byte.
  virtual void ibwrt(int ud, std::string_view data) = 0;
  // Up to buffer.size() bytes fill the front of buffer, the rest keeps its content; ibcntl
  // counts them. END is set when the sender ended the message with that read.
  virtual void ibrd(int ud, std::string& buffer) = 0;
  virtual void ibtmo(int ud, int code) = 0;
  virtual void ibask(int ud, int option, int& value) = 0;
  virtual void ibwait(int ud, int mask) = 0;
  virtual void ibloc(int ud) = 0;
  virtual void ibwrtf(int ud, const std::string& path) = 0;
  virtual void ibrdf(int ud, const std::string& path) = 0;
  virtual void DevClear(int board, int address) = 0;
};

}  // namespace veridane
