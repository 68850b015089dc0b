// Write, read and query with the operator messages every driver and test relies on.
#include "gpib/bus/gpib_bus.h"

namespace veridane {

namespace {

constexpr DriverTimeout kReadTimeout = DriverTimeout::TenSeconds;  // long answers such as waveforms need it
constexpr size_t kChunkSize = 512;
constexpr int16_t kWaitTimoOrCmpl = 0x4100;


}  // namespace

void GpibBus::GpibWrite(int16_t handle, std::string_view text) {
  GpibWriteFailed = false;
  if (handle == 0) DeviceNotConfigured();
  ibwrt(handle, text);
  GpibErrorCheck();
}

std::string GpibBus::GpibRead(int16_t handle) {
  if (handle == 0) DeviceNotConfigured();
  const DriverTimeout noted = CurrentTimeout(handle);
  bool changed = noted != kReadTimeout;
  if (changed) ibtmo(handle, kReadTimeout);

  std::string response;
  int chunks = 0;
  for (;;) {
    std::string buffer(kChunkSize, ' ');
    ibwait(handle, kWaitTimoOrCmpl);
    ibrd(handle, buffer);
    // Any failed chunk fails the whole read: an error that is not a timeout would otherwise
    // repeat without END for ever.
    if (status.Timo() || status.Err()) {
      chunks = 0;
      break;
    }
    response += buffer;
    ++chunks;
    if (status.End()) break;
  }

  if (changed) {
    // The caller wants to know how the read went, not how the restore went.
    StatusVars readStatus = status;
    ibtmo(handle, noted);
    status = readStatus;
  }

  if (chunks == 0) {
    op_.ShowMessBox("Read cycle failed\nOperation aborted.", kOkOnly + kExclamation, "I/O Error");
    return {};
  }
  return StripReplyLineEnds(std::move(response));
}

std::string GpibBus::GpibQuery(int16_t handle, std::string_view text) {
  if (handle == 0) DeviceNotConfigured();
  GpibWrite(handle, text);
  Wait(std::chrono::milliseconds(100));
  if (GpibWriteFailed) return {};
  return GpibRead(handle);
}

void GpibBus::Wait(Seconds time) {
  if (time <= Seconds::zero()) return;
  loop_.Wait(time);
}

}  // namespace veridane
