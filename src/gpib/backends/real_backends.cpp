// Connection strings of the real back ends and the factories the bench registry calls.
#include "gpib/backends/real_backends.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "gpib/backends/absent_board.h"
#include "gpib/backends/serial_transport.h"
#include "gpib/backends/tcp_transport.h"

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

bool IsRealBackendScheme(std::string_view connection) {
  std::string scheme = Split(connection).first;
  return scheme == "gpib" || scheme == "ni" || scheme == "prologix" || scheme == "ar488" || scheme == "prologix-tcp";
}

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
  error.clear();
  std::string scheme = Split(connection).first;
  if (scheme == "gpib" || scheme == "ni") {
    int board = 0;
    if (!ParseBoardConnection(connection, board, error)) return nullptr;
    return OpenBoardLibrary(board, libraryPath, error);
  }
  if (IsRealBackendScheme(connection)) return OpenPrologix(connection, error);
  error = "The bench " + Quoted(connection) + " is not a GPIB board or adapter.";
  return nullptr;
}

}  // namespace veridane
