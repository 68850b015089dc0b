// Connection strings of the real back ends and the factories the bench registry calls.
#include "gpib/backends/real_backends.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "gpib/backends/absent_board.h"
#include "gpib/backends/serial_transport.h"
#include "gpib/backends/tcp_transport.h"
#include "gpib/backends/visa_library.h"

namespace veridane {

namespace {

constexpr int kMaxBoard = 15;
constexpr double kSerialMarginSeconds = 0.1;
constexpr double kNetworkMarginSeconds = 0.3;

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
  return out;
}

// The scheme (lower case) and what follows its colon; the rest is empty without a colon.
std::pair<std::string, std::string_view> Split(std::string_view connection) {
  size_t colon = connection.find(':');
  if (colon == std::string_view::npos) return {Lower(connection), {}};
  return {Lower(connection.substr(0, colon)), connection.substr(colon + 1)};
}

bool ParseNumber(std::string_view text, int low, int high, int& value) {
  if (text.empty() || text.size() > 6) return false;
  int parsed = 0;
  auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (code != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool ParseHostPort(std::string_view connection, std::string_view rest, AdapterTarget& target, std::string& error) {
  std::string_view host = rest;
  std::string_view port;
  bool hasPort = false;
  if (!rest.empty() && rest.front() == '[') {
    size_t close = rest.find(']');
    if (close == std::string_view::npos) {
      error = "The bench " + Quoted(connection) + " has no \"]\" after its IPv6 address.";
      return false;
    }
    host = rest.substr(1, close - 1);
    std::string_view after = rest.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') {
        error = "The bench " + Quoted(connection) + " has text after its address: write [ADDRESS]:PORT.";
        return false;
      }
      port = after.substr(1);
      hasPort = true;
    }
  } else {
    size_t colon = rest.find(':');
    if (colon != std::string_view::npos && rest.find(':', colon + 1) != std::string_view::npos) {
      error = "The bench " + Quoted(connection) +
              " is ambiguous: write an IPv6 address in brackets, e.g. prologix-tcp:[fe80::1]:1234.";
      return false;
    }
    if (colon != std::string_view::npos) {
      host = rest.substr(0, colon);
      port = rest.substr(colon + 1);
      hasPort = true;
    }
  }
  if (host.empty()) {
    error = "The bench " + Quoted(connection) + " names no adapter: write prologix-tcp:HOST or prologix-tcp:HOST:PORT.";
    return false;
  }
  if (host.find_first_of(" \t/") != std::string_view::npos) {
    error = "The bench " + Quoted(connection) + " has a bad network name " + Quoted(host) + ".";
    return false;
  }
  target.host = std::string(host);
  target.port = kPrologixTcpPort;
  if (hasPort && !ParseNumber(port, 1, 65535, target.port)) {
    error = "The bench " + Quoted(connection) + " has a bad port " + Quoted(port) +
            ": give a number from 1 to 65535 (Prologix adapters use 1234).";
    return false;
  }
  return true;
}

std::unique_ptr<Gpib488> Unusable(std::string message, std::string& error) {
  error = std::move(message);
  return std::make_unique<AbsentBoard>();
}

}  // namespace

const std::vector<HardwareForm>& HardwareForms() {
  // Resource strings first: "GPIB0::1::INSTR" must not pass for a board text "gpib:...".
  static const std::vector<HardwareForm> forms = {
      {"visa-resource", "gpib", true, "GPIB0::1::INSTR", "VISA name of board 0"},
      {"visa-resource", "tcpip", true, "TCPIP0::HOST::1234::SOCKET", "VISA name of a network adapter"},
      {"visa-resource", "asrl", true, "ASRL/dev/ttyUSB0::INSTR", "VISA name of a serial adapter"},
      {"visa-resource", "prlgx-tcpip", true, "PRLGX-TCPIP::HOST::INTFC", "the same, port 1234"},
      {"visa-resource", "prlgx-asrl", true, "PRLGX-ASRL::/dev/ttyUSB0::INTFC", "the same"},
      {"gpib", "gpib:", false, "gpib:N", "board N (0..15), board library"},
      {"gpib", "ni:", false, "ni:N", "the same"},
      {"visa", "visa:", false, "visa:GPIBN", "board N through VISA"},
      {"prologix-tcp", "prologix-tcp:", false, "prologix-tcp:HOST[:PORT]", "network adapter (port 1234)"},
      {"prologix", "prologix:", false, "prologix:DEVICE", "Prologix GPIB-USB"},
      {"ar488", "ar488:", false, "ar488:DEVICE", "AR488 on a serial port"},
  };
  return forms;
}

const HardwareForm* MatchHardwareForm(std::string_view connection) {
  const std::string lower = Lower(connection);
  for (const HardwareForm& form : HardwareForms()) {
    if (!lower.starts_with(form.prefix)) continue;
    if (form.visaResource) {
      // "GPIB0::", "ASRL/dev/x::", "PRLGX-TCPIP::": the prefix, then a number or a path, then "::".
      const size_t parts = lower.find("::");
      if (parts == std::string::npos) continue;
      const std::string_view between = std::string_view(lower).substr(form.prefix.size(), parts - form.prefix.size());
      const bool path = form.prefix == "asrl" && between.starts_with("/");
      if (!path && between.find_first_not_of("0123456789") != std::string_view::npos) continue;
    }
    return &form;
  }
  return nullptr;
}

std::string HardwareFormsHelp(size_t indent) {
  size_t width = 0;
  for (const HardwareForm& form : HardwareForms()) width = std::max(width, form.example.size());
  // The program's own forms first, then their VISA names.
  std::string text;
  for (bool visa : {false, true}) {
    for (const HardwareForm& form : HardwareForms()) {
      if (form.visaResource != visa) continue;
      text += std::string(indent, ' ') + std::string(form.example) + std::string(width - form.example.size() + 2, ' ') +
              std::string(form.description) + "\n";
    }
  }
  return text;
}

bool ResolveVisaResource(std::string_view resource, bool throughVisa, std::string& native, std::string& error) {
  // Parts between "::"; the keywords in any case, as VISA takes them.
  std::vector<std::string_view> parts;
  for (size_t from = 0;;) {
    const size_t at = resource.find("::", from);
    parts.push_back(resource.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) break;
    from = at + 2;
  }
  const std::string head = Lower(parts.front());
  const std::string tail = Lower(parts.back());
  auto refuse = [&](const std::string& how) {
    error = "The bench " + Quoted(resource) + " is not a VISA resource this program can open: " + how;
    return false;
  };
  auto number = [](std::string_view digits, int low, int high, int& value) {
    return digits.empty() ? (value = 0, true) : ParseNumber(digits, low, high, value);
  };
  if (head.starts_with("prlgx-tcpip") || head.starts_with("tcpip")) {
    const bool prologix = head.starts_with("prlgx-");
    int unused = 0;
    if (!number(std::string_view(head).substr(prologix ? 11 : 5), 0, 99, unused))
      return refuse("write TCPIP0::HOST::PORT::SOCKET.");
    if (prologix ? (tail != "intfc" || (parts.size() != 3 && parts.size() != 4))
                 : (tail != "socket" || parts.size() != 4)) {
      return refuse(prologix ? "write PRLGX-TCPIP::HOST::INTFC." : "write TCPIP0::HOST::PORT::SOCKET (a raw socket).");
    }
    std::string host(parts[1]);
    if (host.empty()) return refuse("it names no host; write " + std::string(prologix ? "PRLGX-TCPIP::HOST::INTFC." : "TCPIP0::HOST::PORT::SOCKET."));
    // One colon is a port written into the host ("127.0.0.1:1234"); an IPv6 address has more.
    if (std::count(host.begin(), host.end(), ':') == 1)
      return refuse("the port is a part of its own: write " +
                    std::string(prologix ? "PRLGX-TCPIP::HOST::PORT::INTFC." : "TCPIP0::HOST::PORT::SOCKET."));
    if (parts.size() == 4) {
      int port = 0;
      if (!ParseNumber(parts[2], 1, 65535, port)) return refuse("the port " + Quoted(parts[2]) + " is no number from 1 to 65535.");
    }
    if (host.find(':') != std::string::npos && !host.starts_with("[")) host = "[" + host + "]";
    native = "prologix-tcp:" + host + (parts.size() == 4 ? ":" + std::string(parts[2]) : "");
    return true;
  }
  if (head.starts_with("prlgx-asrl")) {
    if (parts.size() != 3 || tail != "intfc" || parts[1].empty()) return refuse("write PRLGX-ASRL::/dev/ttyUSB0::INTFC.");
    native = "prologix:" + std::string(parts[1]);
    return true;
  }
  if (head.starts_with("asrl")) {
    if (parts.size() != 2 || tail != "instr") return refuse("write ASRL/dev/ttyUSB0::INSTR.");
    const std::string_view port = parts.front().substr(4);
    int index = 0;
    if (port.starts_with("/")) {
      native = "prologix:" + std::string(port);
    } else if (ParseNumber(port, 1, 256, index)) {
      // VISA counts serial ports from 1, as COM1 is Linux's ttyS0.
      native = "prologix:/dev/ttyS" + std::to_string(index - 1);
    } else {
      return refuse("write ASRL/dev/ttyUSB0::INSTR or ASRLn::INSTR.");
    }
    return true;
  }
  if (head.starts_with("gpib")) {
    int board = 0, pad = 0;
    const bool instr = tail == "instr" && (parts.size() == 3 || parts.size() == 4) && number(parts[1], 0, 30, pad);
    const bool intfc = tail == "intfc" && parts.size() == 2;
    if (!number(std::string_view(head).substr(4), 0, kMaxBoard, board) || !(instr || intfc)) {
      return refuse("write GPIB0::ADDRESS::INSTR or GPIB0::INTFC (boards 0 to 15).");
    }
    native = (throughVisa ? "visa:GPIB" : "gpib:") + std::to_string(board);
    return true;
  }
  return refuse("it names no GPIB board, network adapter or serial port.");
}

bool IsRealBackendScheme(std::string_view connection) { return MatchHardwareForm(connection) != nullptr; }

bool ParseBoardConnection(std::string_view connection, int& board, std::string& error) {
  auto [scheme, rest] = Split(connection);
  if (scheme != "gpib" && scheme != "ni") {
    error = "The bench " + Quoted(connection) + " is not a GPIB board (gpib:N).";
    return false;
  }
  if (connection.find(':') == std::string_view::npos) {
    board = 0;
    return true;
  }
  if (!ParseNumber(rest, 0, kMaxBoard, board)) {
    error = "The bench " + Quoted(connection) + " has a bad board number " + Quoted(rest) +
            ": give a number from 0 to 15, e.g. gpib:0.";
    return false;
  }
  return true;
}

bool ParseAdapterConnection(std::string_view connection, AdapterTarget& target, std::string& error) {
  auto [scheme, rest] = Split(connection);
  target = AdapterTarget{};
  if (scheme == "prologix-tcp") {
    target.tcp = true;
    return ParseHostPort(connection, rest, target, error);
  }
  if (scheme != "prologix" && scheme != "ar488") {
    error = "The bench " + Quoted(connection) + " is not a Prologix-compatible adapter.";
    return false;
  }
  target.dialect = scheme == "ar488" ? AdapterDialect::kAr488 : AdapterDialect::kPrologix;
  if (rest.empty()) {
    error = "The bench " + Quoted(connection) + " names no serial port: write e.g. " + scheme +
            (scheme == "ar488" ? ":/dev/ttyACM0." : ":/dev/ttyUSB0.");
    return false;
  }
  target.path = rest.front() == '/' ? std::string(rest) : "/dev/" + std::string(rest);
  return true;
}

std::unique_ptr<Gpib488> OpenBoardLibrary(int board, const std::string& libraryPath, std::string& error) {
  return OpenBoardLibrary(board, libraryPath, BoardLibraryOptions{}, error);
}

std::unique_ptr<Gpib488> OpenBoardLibrary(int board, const std::string& libraryPath,
                                          const BoardLibraryOptions& options, std::string& error) {
  error.clear();
  if (board < 0 || board > kMaxBoard) {
    error = "There is no GPIB board " + std::to_string(board) + ": boards are numbered 0 to 15.";
    return nullptr;
  }
  std::string problem;
  std::unique_ptr<BoardLibrary> library = BoardLibrary::Load(board, libraryPath, options, problem);
  if (!library) return Unusable(problem, error);
  return library;
}

std::unique_ptr<Gpib488> OpenPrologix(std::string_view connection, std::string& error) {
  error.clear();
  AdapterTarget target;
  if (!ParseAdapterConnection(connection, target, error)) return nullptr;
  std::string problem;
  std::unique_ptr<ByteTransport> transport = target.tcp ? OpenTcpTransport(target.host, target.port, problem)
                                                        : OpenSerialTransport(target.path, problem);
  if (!transport) return Unusable(problem, error);
  PrologixOptions options;
  options.dialect = target.dialect;
  options.linkMarginSeconds = target.tcp ? kNetworkMarginSeconds : kSerialMarginSeconds;
  auto adapter = std::make_unique<PrologixAdapter>(std::move(transport), options);
  if (!adapter->Start(problem)) return Unusable(problem, error);
  return adapter;
}

std::unique_ptr<Gpib488> OpenRealBackend(std::string_view connection, const std::string& libraryPath,
                                         std::string& error) {
  return OpenRealBackend(connection, HardwareLibraries{libraryPath, ""}, error);
}

std::unique_ptr<Gpib488> OpenRealBackend(std::string_view connection, const HardwareLibraries& libraries,
                                         std::string& error) {
  error.clear();
  const HardwareForm* form = MatchHardwareForm(connection);
  if (form == nullptr) {
    error = "The bench " + Quoted(connection) + " is not a GPIB board or adapter.";
    return nullptr;
  }
  if (form->visaResource) {
    std::string native;
    if (!ResolveVisaResource(connection, !libraries.visa.empty(), native, error)) return nullptr;
    return OpenRealBackend(native, libraries, error);
  }
  if (form->scheme == "gpib") {
    int board = 0;
    if (!ParseBoardConnection(connection, board, error)) return nullptr;
    return OpenBoardLibrary(board, libraries.gpib, error);
  }
  if (form->scheme == "visa") {
    int board = 0;
    const std::string rest = Lower(Split(connection).second);
    if (!rest.starts_with("gpib") || !ParseNumber(std::string_view(rest).substr(4), 0, kMaxBoard, board)) {
      error = "The bench " + Quoted(connection) + " names no GPIB board: write visa:GPIB0 (boards 0 to 15).";
      return nullptr;
    }
    return OpenVisaBoard(board, libraries.visa, error);
  }
  return OpenPrologix(connection, error);
}

}  // namespace veridane
