#pragma once
// The byte link to a GPIB adapter that speaks the "++" protocol: a serial port (USB adapters)
// or a TCP connection (network adapters). The adapter class owns the protocol; a transport
// only moves bytes and knows its own clock, so that a scripted transport in the tests can let
// time pass virtually while a real one waits on the steady clock.
#include <string>
#include <string_view>

namespace veridane {

class ByteTransport {
 public:
  virtual ~ByteTransport() = default;

  // Sends every byte; false when the link failed (reason in LastError()).
  virtual bool Write(std::string_view bytes) = 0;

  // Waits up to `seconds` for bytes and appends those that arrived (possibly none). Returns
  // as soon as anything arrived; 0 seconds only takes what is already there. False when the
  // link failed (closed by the other end, device unplugged).
  virtual bool Read(std::string& into, double seconds) = 0;

  // Drops bytes that arrived and were not read: leftovers of an answer nobody waits for.
  virtual void Discard() = 0;

  // Monotonic seconds on the clock the waits above run on.
  virtual double Now() = 0;

  virtual std::string LastError() const = 0;

  // Where the link goes, for messages ("/dev/ttyUSB0", "192.168.1.20:1234").
  virtual std::string Describe() const = 0;
};

}  // namespace veridane
