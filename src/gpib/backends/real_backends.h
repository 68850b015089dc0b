#pragma once
// The factories of the real GPIB back ends, one per connection-string scheme, for the bench
// registry. The forms are declared once, in HardwareForms(): the registry matches by them and
// the help and the completion list them.
//   gpib:N  (ni:N the same)       board N (0..15) through the board library (linux-gpib or
//                                 NI-488.2, loaded at run time); "gpib" alone is board 0
//   visa:GPIBN                    board N through a VISA library (dlopen)
//   prologix:/dev/ttyUSB0         Prologix GPIB-USB; a bare name means /dev/NAME
//   ar488:/dev/ttyACM0            AR488 family over USB/serial
//   prologix-tcp:HOST[:PORT]      network adapter, port 1234 unless given; IPv6 as [ADDR]:PORT
//   VISA resource strings, as labs write them, for the same back ends:
//     GPIB0::1::INSTR             board 0 (the program still finds each device itself, so the
//                                 address only says which board); through the VISA library
//                                 when the setting VisaLibrary names one, else the board library
//     TCPIP0::HOST::1234::SOCKET  network adapter;  PRLGX-TCPIP::HOST::INTFC the same (1234)
//     ASRL/dev/ttyUSB0::INSTR     adapter on a serial port; PRLGX-ASRL::/dev/ttyUSB0::INTFC
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
#include <vector>

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

// One way to write a hardware bench.
struct HardwareForm {
  std::string_view scheme;       // the registry's scheme that opens it
  std::string_view prefix;       // lower case; the text starts with it, in any case
  bool visaResource;             // a VISA resource string ("::" between its parts)
  std::string_view example;      // as the help writes it
  std::string_view description;
};
const std::vector<HardwareForm>& HardwareForms();
// The form a text is written in; nullptr when it is no hardware bench.
const HardwareForm* MatchHardwareForm(std::string_view connection);
// The forms for the help, one a line, indented by `indent` blanks.
std::string HardwareFormsHelp(size_t indent);

// Where the libraries are, from the settings GpibLibrary and VisaLibrary (empty: look for an
// installed one; a VISA library is used for GPIBn::...::INSTR only when named).
struct HardwareLibraries {
  std::string gpib;
  std::string visa;
};

// A VISA resource string in the form of its native connection text ("gpib:0",
// "visa:GPIB0", "prologix-tcp:HOST:PORT", "prologix:/dev/ttyUSB0"); false with a message for
// a text that is no resource string this program can use.
bool ResolveVisaResource(std::string_view resource, bool throughVisa, std::string& native, std::string& error);

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
std::unique_ptr<Gpib488> OpenRealBackend(std::string_view connection, const HardwareLibraries& libraries,
                                         std::string& error);

}  // namespace veridane
