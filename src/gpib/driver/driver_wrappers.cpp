// One wrapper per driver call: make the call, then copy the driver's status, so that callers
// test the program's copies and never a driver return value.
#include "gpib/driver/gpib_driver.h"

namespace veridane {

namespace {

int16_t Low16(int32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }

// What a failed registration leaves behind, so that the next status test reports an error.
constexpr uint32_t kRegistrationFailedCount = 0xDEAD37F0u;

}  // namespace

void StatusVars::CopyFrom(const GpibStatus& driverStatus) {
  ibsta = Low16(driverStatus.ibsta);
  iberr = Low16(driverStatus.iberr);
  ibcntl = driverStatus.ibcntl;
  ibcnt = Low16(driverStatus.ibcntl);
}

GpibDriver::GpibDriver(Gpib488& driver) : driver_(driver) {}

bool GpibDriver::EnsureRegistered() {
  if (registered_) return true;
  int result = driver_.RegisterGlobals();
  if (result == 1) {
    // Another set was registered for this thread: replace it with ours.
    driver_.UnregisterGlobals();
    result = driver_.RegisterGlobals();
  }
  if (result == 0) {
    registered_ = true;
    return true;
  }
  driver_.UnregisterGlobals();
  // Without registered status the driver's answer could not be seen; the call is not made
  // and the error shows as an operating system error. The next call tries again.
  status.ibsta = Low16(kErr);
  status.iberr = kEdvr;
  status.ibcntl = static_cast<int32_t>(kRegistrationFailedCount);
  status.ibcnt = Low16(status.ibcntl);
  return false;
}

void GpibDriver::CopyStatus() { status.CopyFrom(driver_.Status()); }

void GpibDriver::SendIFC(int16_t board) {
  if (!EnsureRegistered()) return;
  driver_.SendIFC(board);
  CopyStatus();
}

void GpibDriver::ibsre(int16_t board, int16_t value) {
  if (!EnsureRegistered()) return;
  driver_.ibsre(board, value);
  CopyStatus();
}

void GpibDriver::FindLstn(int16_t board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results,
                       int16_t limit) {
  if (!EnsureRegistered()) return;
  if (limit > 0 && results.size() < static_cast<size_t>(limit)) results.resize(limit, 0);
  driver_.FindLstn(board, addresses, results, limit);
  CopyStatus();
}

int16_t GpibDriver::ibdev(int16_t board, int16_t pad, int16_t sad, int16_t tmo, int16_t eot, int16_t eos) {
  if (!EnsureRegistered()) return -1;
  int handle = driver_.ibdev(board, pad, sad, tmo, eot, eos);
  CopyStatus();
  return Low16(handle);
}

void GpibDriver::ibpad(int16_t handle, int16_t pad) {
  if (!EnsureRegistered()) return;
  driver_.ibpad(handle, pad);
  CopyStatus();
}

void GpibDriver::ibclr(int16_t handle) {
  if (!EnsureRegistered()) return;
  driver_.ibclr(handle);
  CopyStatus();
}

int16_t GpibDriver::ibrsp(int16_t handle) {
  if (!EnsureRegistered()) return 0;
  uint8_t statusByte = 0;
  driver_.ibrsp(handle, statusByte);
  CopyStatus();
  return statusByte;
}

void GpibDriver::ibwrt(int16_t handle, std::string_view text) {
  if (!EnsureRegistered()) return;
  driver_.ibwrt(handle, text);
  CopyStatus();
}

void GpibDriver::ibrd(int16_t handle, std::string& buffer) {
  if (!EnsureRegistered()) return;
  driver_.ibrd(handle, buffer);
  CopyStatus();
}

void GpibDriver::ibtmo(int16_t handle, DriverTimeout timeout) {
  if (!EnsureRegistered()) return;
  driver_.ibtmo(handle, TimeoutCode(timeout));
  CopyStatus();
}

int16_t GpibDriver::ibask(int16_t handle, int16_t option) {
  if (!EnsureRegistered()) return 0;
  int value = 0;
  driver_.ibask(handle, option, value);
  CopyStatus();
  return Low16(value);
}

void GpibDriver::ibwait(int16_t handle, int16_t mask) {
  if (!EnsureRegistered()) return;
  driver_.ibwait(handle, static_cast<uint16_t>(mask));
  CopyStatus();
}

void GpibDriver::ibloc(int16_t handle) {
  if (!EnsureRegistered()) return;
  driver_.ibloc(handle);
  CopyStatus();
}

void GpibDriver::ibwrtf(int16_t handle, const std::string& path) {
  if (!EnsureRegistered()) return;
  driver_.ibwrtf(handle, path);
  CopyStatus();
}

void GpibDriver::ibrdf(int16_t handle, const std::string& path) {
  if (!EnsureRegistered()) return;
  driver_.ibrdf(handle, path);
  CopyStatus();
}

void GpibDriver::DevClear(int16_t board, int16_t address) {
  if (!EnsureRegistered()) return;
  driver_.DevClear(board, address);
  CopyStatus();
}

}  // namespace veridane
