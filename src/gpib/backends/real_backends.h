#pragma once
// The factories of the real GPIB back ends, one per connection-string scheme, for the bench
// registry:
//   gpib:N  (ni:N the same)       board N (0..15) through the board library (linux-gpib or
//                                 NI-488.2, loaded at run time); "gpib" alone is board 0
//   prologix:/dev/ttyUSB0         Prologix GPIB-USB; a bare name means /dev/NAME
//   ar488:/dev/ttyACM0            AR488 family over USB/serial
//   prologix-tcp:HOST[:PORT]      network adapter, port 1234 unless given; IPv6 as [ADDR]:PORT
//
// Every factory answers in one of three ways:
//   nullptr, error set        the connection string is wrong; nothing was opened
//   back end, error set       the hardware cannot be used (no library, no device file, no
//                             permission, no port, adapter silent); error says what to install
//                             or which group to join, and the back end fails every call as a
//                             non-existent board (ERR, iberr ENEB), so that the program's own
//                             start-up reports its GPIB initialisation error after it
//   back end, error empty     ready
#include <memory>
#include <string>
#include <string_view>

#include "gpib/backends/board_library.h"
#include "gpib/backends/prologix_adapter.h"
#include "platform/gpib488.h"

namespace veridane {

constexpr int kPrologixTcpPort = 1234;

struct AdapterTarget {
  AdapterDialect dialect = AdapterDialect::kPrologix;
  bool tcp = false;
  std::string path;  // serial port
  std::string host;  // network adapter
  int port = kPrologixTcpPort;
};

// True for the schemes above (the registry hands these strings to OpenRealBackend).
bool IsRealBackendScheme(std::string_view connection);

bool ParseBoardConnection(std::string_view connection, int& board, std::string& error);
bool ParseAdapterConnection(std::string_view connection, AdapterTarget& target, std::string& error);

std::unique_ptr<Gpib488> OpenBoardLibrary(int board, const std::string& libraryPath, std::string& error);
std::unique_ptr<Gpib488> OpenBoardLibrary(int board, const std::string& libraryPath,
                                          const BoardLibraryOptions& options, std::string& error);
// prologix:, ar488: and prologix-tcp: strings.
std::unique_ptr<Gpib488> OpenPrologix(std::string_view connection, std::string& error);
// Any scheme above; libraryPath is the setting GpibLibrary (empty: look for an installed one).
std::unique_ptr<Gpib488> OpenRealBackend(std::string_view connection, const std::string& libraryPath,
                                         std::string& error);

}  // namespace veridane
