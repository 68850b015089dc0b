#pragma once
// Parlex at a terminal: one message per input line, sent with the same logic and rules as the
// window (query detection, terminators, syntax check, timeouts), each answer printed with its
// address and byte count. Lines starting with ':' are commands:
//   :addr N                    select the listener at address N
//   :id all                    identify every listener
//   :syntax N status|poll|off  syntax-check method for address N
//   :read                      read what the selected device still holds
//   :tofile FILE               the next query's answer goes to FILE
//   :sendfile FILE             send FILE to the selected device as one message
//   :cr on|off, :lf on|off     terminators added to each message
//   :help, :quit
// Every message line is appended to the history file (8-bit, CR LF).
#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "parlex/manual_presenter.h"

namespace veridane {

inline constexpr int kParlexExitOk = 0;
inline constexpr int kParlexExitFailed = 1;  // a message failed (write error, syntax error, no answer)
inline constexpr int kParlexExitUsage = 4;   // a wrong command line
// The longest line taken as a message at the terminal, and the size the history file is kept
// under (it is recalled whole, up to 1 MiB).
inline constexpr std::size_t kParlexLineLimit = 64 * 1024;
inline constexpr std::size_t kParlexHistoryLimit = 1024 * 1024;

struct ParlexConsoleSeams {
  Gpib488& driver;
  Operator& op;  // answers the warnings and reports (a console technician)
  EventLoop& loop;
  Settings& settings;
  std::string toolFolder;
  std::vector<int16_t> listeners;
  DriverTimeout deviceTimeout = DriverTimeout::ThreeSeconds;
  std::string historyFile;  // empty: no history kept
};

// Reads lines from in until its end or ":quit"; answers and messages go to out, mistakes in
// commands to err. Returns kParlexExitOk, or kParlexExitFailed when any message failed or a
// command was wrong. After an address without a listener no message is sent until another
// address is selected: what follows was meant for that device, not the one selected before.
int RunParlexConsole(ParlexConsoleSeams& seams, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace veridane
