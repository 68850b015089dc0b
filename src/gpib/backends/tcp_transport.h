#pragma once
// A network adapter (Prologix GPIB-ETHERNET and alikes): one TCP connection, no delay on
// small writes, since every command waits for its answer.
#include <memory>
#include <string>

#include "gpib/backends/byte_transport.h"

namespace veridane {

// nullptr with a message for the technician in error when the adapter cannot be reached
// within connectSeconds.
std::unique_ptr<ByteTransport> OpenTcpTransport(const std::string& host, int port, std::string& error,
                                                double connectSeconds = 5);

}  // namespace veridane
