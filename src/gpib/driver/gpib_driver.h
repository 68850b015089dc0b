#pragma once
// The raw driver layer: one wrapper per driver call that makes the call and then copies the
// driver's status into the program's 16-bit copies. No operator, no policy: the bus layer
// (gpib/bus) adds the error reports, and tools that talk to the bus directly (the manual
// message tool) use this layer alone.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gpib488.h"

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

// The operator text of a driver error code ("Unknown error." for codes the driver never uses).
std::string GpibErrorText(int16_t iberr);

// A device's answer as every read hands it on: blanks off both ends, then at most one CR LF
// (or two line-end bytes) off the end.
std::string StripReplyLineEnds(std::string response);

class GpibDriver {
 public:
  explicit GpibDriver(Gpib488& driver);

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
  void ibtmo(int16_t handle, DriverTimeout timeout);
  int16_t ibask(int16_t handle, int16_t option);
  // ibask's current timeout (option 3), to be given back to ibtmo after a change.
  DriverTimeout CurrentTimeout(int16_t handle) { return static_cast<DriverTimeout>(ibask(handle, kIbaTmo)); }
  void ibwait(int16_t handle, int16_t mask);
  void ibloc(int16_t handle);
  void ibwrtf(int16_t handle, const std::string& path);
  void ibrdf(int16_t handle, const std::string& path);
  void DevClear(int16_t board, int16_t address);

  StatusVars status;

 private:
  bool EnsureRegistered();
  void CopyStatus();
  Gpib488& driver_;
  bool registered_ = false;
};

}  // namespace veridane
