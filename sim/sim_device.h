#pragma once
// A device on the simulated bus sees what a real GPIB device sees: whole messages written to
// it (EOI on the last byte), read requests, serial polls, selected device clear and
// go-to-local. SimBus owns the byte-level details (partial reads, END, timeouts).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veridane::sim {

class SimDevice {
 public:
  virtual ~SimDevice() = default;

  // A complete message written by the controller.
  virtual void Receive(std::string_view message) = 0;

  // The controller asks to read: the device's next output message (END on its last byte), or
  // nothing, in which case the read times out after the handle's timeout.
  virtual std::optional<std::string> Respond() = 0;

  // Seconds until the device can answer a read (a long operation such as a calibration still
  // running); 0 when it can answer now. A read whose timeout is shorter times out.
  virtual double SecondsUntilReady() const { return 0; }

  // Serial poll: the status byte (reading it clears RQS).
  virtual uint8_t SerialPoll() { return 0; }

  virtual void DeviceClear() {}
  virtual void GoToLocal() {}
};

}  // namespace veridane::sim
