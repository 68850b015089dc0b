#pragma once
// A USB/serial adapter's port (/dev/ttyUSB0, /dev/ttyACM0): raw 8-bit bytes, 115200 baud
// (a Prologix ignores the rate, an AR488 expects it), locked against a second program.
#include <memory>
#include <string>

#include "gpib/backends/byte_transport.h"

namespace veridane {

// nullptr with a message for the technician (what to plug in, which group to join) in error.
std::unique_ptr<ByteTransport> OpenSerialTransport(const std::string& path, std::string& error);

// The message for a port that cannot be opened, by the errno of open(); `group` is the group
// that owns the port ("dialout"), empty when unknown.
std::string SerialOpenMessage(const std::string& path, int error, const std::string& group);

}  // namespace veridane
