#include "parlex/parlex_port.h"

#include "platform/numbers.h"
#include "platform/text8.h"

namespace veridane::parlex {

namespace {

constexpr size_t kChunkSize = 512;

}  // namespace

ParlexPort::ParlexPort(Gpib488& driver, Operator& op, EventLoop& loop) : driver_(driver), op_(op), loop_(loop) {}

int16_t ParlexPort::Open(int16_t address, DriverTimeout timeout) {
  int handle = driver_.ibdev(kBoard, address, 0, TimeoutCode(timeout), 1, 0);
  Copy();
  if (status.Err() || handle <= 0) {
    GpibErrorCheck();
    handle_ = 0;
    return 0;
  }
  handle_ = static_cast<int16_t>(handle);
  return handle_;
}

void ParlexPort::ibpad(int16_t address) {
  driver_.ibpad(handle_, address);
  Copy();
}

void ParlexPort::ibwrt(std::string_view text) {
  driver_.ibwrt(handle_, text);
  Copy();
}

uint8_t ParlexPort::ibrsp() {
  uint8_t statusByte = 0;
  driver_.ibrsp(handle_, statusByte);
  Copy();
  return statusByte;
}

void ParlexPort::ibtmo(DriverTimeout timeout) {
  driver_.ibtmo(handle_, TimeoutCode(timeout));
  Copy();
}

int16_t ParlexPort::ibask(int option) {
  int value = 0;
  driver_.ibask(handle_, option, value);
  Copy();
  return static_cast<int16_t>(value);
}

void ParlexPort::ibwait(int16_t mask) {
  driver_.ibwait(handle_, mask);
  Copy();
}

void ParlexPort::ibrd(std::string& buffer) {
  driver_.ibrd(handle_, buffer);
  Copy();
}

void ParlexPort::ibwrtf(const std::string& path) {
  driver_.ibwrtf(handle_, path);
  Copy();
}

void ParlexPort::DevClear(int16_t address) {
  driver_.DevClear(kBoard, address);
  Copy();
}

void ParlexPort::GpibErrorCheck() {
  if (!status.Err()) return;
  std::string text = GpibErrorText(status.iberr) + "\nSelect OK to continue or Cancel to terminate program.";
  BoxAnswer answer = op_.ShowMessBox(text, kOkCancel + kExclamation, "GPIB ERROR #" + PlainText(int{status.iberr}));
  if (answer == kCancel) op_.EndProgram();
  GpibWriteFailed = true;
}

void ParlexPort::GpibWrite(std::string_view text) {
  GpibWriteFailed = false;
  ibwrt(text);
  GpibErrorCheck();
}

std::string ParlexPort::GpibRead() {
  DriverTimeout noted = CurrentTimeout();
  bool changed = noted != DriverTimeout::TenSeconds;
  if (changed) ibtmo(DriverTimeout::TenSeconds);

  std::string response;
  bool failed = false;
  for (;;) {
    std::string buffer(kChunkSize, ' ');
    ibwait(kWaitTimoOrCmpl);
    ibrd(buffer);
    // A failed chunk fails the read: an error other than a timeout would repeat for ever.
    if (status.Timo() || status.Err()) {
      failed = true;
      break;
    }
    response.append(buffer, 0, static_cast<size_t>(std::max<int32_t>(0, status.ibcntl)));
    if (status.End()) break;
  }

  if (changed) {
    StatusVars readStatus = status;
    ibtmo(noted);
    status = readStatus;
  }
  if (failed) {
    op_.ShowMessBox("Read cycle failed\nOperation aborted.", kOkOnly + kExclamation, "I/O Error");
    return {};
  }
  return StripReplyLineEnds(std::move(response));
}

}  // namespace veridane::parlex
