#pragma once
// The simulated GPIB bus: board 0 as controller at primary address 0, and SimDevices attached
// at primary addresses 1..30. It implements the driver calls with the driver's status
// semantics, so the whole program runs against it unchanged.
//
// Time: a read that gets no answer blocks for the handle's timeout on the EventLoop (Block,
// so no interface events run), then ends with ERR|TIMO and iberr 6. On a VirtualClock no wall
// time passes. A timeout code of 0 ("none") would wait for ever on a real bus; here such a
// read fails at once instead of hanging the program.
//
// Output held on the bus: a device's answer is taken from it (Respond) on the first read after
// a message and kept here until read completely; a read with a shorter buffer takes what fits,
// without END. A new message to the device, or a device clear, drops what was left unread,
// as IEEE 488.2 devices discard an interrupted answer.
//
// Faults per address: silent (takes messages, never answers a read), slow (an answer is ready
// only N seconds after the message that asked for it; a shorter read timeout times out and
// the answer stays for a later read), vanishing (takes N messages, then is gone as if
// unplugged: writes and clears see no listener, reads and polls time out, FindLstn no longer
// lists it) and garbling (every answer is replaced by printable nonsense of the same length
// with its line end kept).
//
// Trace: an optional sink receives one line per bus event, e.g. "W 1 <- CH1:SCA .002",
// "R 1 -> 4.0E-3", "TIMEOUT 1", "SPOLL 1 = 0", "CLEAR 1", "LOCAL 1", "IFC", "REN 1",
// "FINDLSTN 0 1 5", "NO LISTENER 3" (bus text escaped by EscapeControl).
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/gpib_handle_table.h"
#include "sim/bus/escape_text.h"
#include "sim/sim_device.h"

namespace veridane::sim {

struct DeviceFaults {
  bool silent = false;
  double slowSeconds = 0;       // > 0: answers are ready this long after the message
  int vanishAfterMessages = -1;  // >= 0: present for that many messages only
  bool garbage = false;
};

class SimBus : public GpibHandleTable {
 public:
  using TraceSink = std::function<void(const std::string& line)>;

  explicit SimBus(EventLoop& loop);

  // Attaches a device the caller keeps alive, or one the bus owns. Replaces whatever was at
  // that address (1..30; other addresses are refused with false).
  bool Attach(int address, SimDevice& device);
  bool Attach(int address, std::unique_ptr<SimDevice> device);
  void Detach(int address);
  SimDevice* DeviceAt(int address) const;

  void SetFaults(int address, const DeviceFaults& faults);
  void SetSilent(int address, bool silent = true);
  void SetSlow(int address, double seconds);
  void SetVanishAfter(int address, int messages);
  void SetGarbage(int address, bool garbage = true);
  void ClearFaults(int address);

  void SetTrace(TraceSink sink) { trace_ = std::move(sink); }

  // --- Gpib488 (the handle calls are GpibHandleTable's) ---
  void SendIFC(int board) override;
  void ibsre(int board, int value) override;
  void FindLstn(int board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results, int limit) override;
  void ibclr(int ud) override;
  void ibrsp(int ud, uint8_t& statusByte) override;
  void ibwrt(int ud, std::string_view data) override;
  void ibrd(int ud, std::string& buffer) override;
  void ibwait(int ud, int mask) override;
  void ibloc(int ud) override;
  void ibrdf(int ud, const std::string& path) override;
  void DevClear(int board, int address) override;

 private:
  struct Slot {
    SimDevice* device = nullptr;
    std::unique_ptr<SimDevice> owned;
    DeviceFaults faults;
    int messages = 0;        // complete messages received
    bool vanished = false;
    std::string input;       // bytes written without EOI, waiting for the end of the message
    std::optional<std::string> output;  // answer taken from the device, not yet read completely
    double readyAt = 0;      // when that answer may be read (slow devices)
    double lastMessageAt = 0;
  };
  enum class Answer { kData, kNone, kNotYet };

  bool Present(int address) const;
  void TimeOut(const DeviceHandle& handle);
  void Trace(const std::string& line) const;
  // True when a device listens at address; otherwise ENOL, as a command with nobody there.
  bool Listening(int address);
  void NoListener(int address);
  bool DeliverMessage(int address, std::string_view data, bool eoi);
  Answer PrepareAnswer(int address, const DeviceHandle& handle);
  // Waits for a slow answer within the handle's timeout; false when it timed out.
  bool AwaitAnswer(int address, const DeviceHandle& handle);
  void Clear(int address);

  EventLoop& loop_;
  std::array<Slot, 31> slots_;
  TraceSink trace_;
};

// A sink that appends each trace line to a text file (8-bit, LF line ends); the file is
// created or emptied first. Returns an empty sink when the file cannot be opened.
SimBus::TraceSink TraceToFile(const std::string& path);

}  // namespace veridane::sim
