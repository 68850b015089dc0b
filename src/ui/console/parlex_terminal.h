#pragma once
// `--parlex`: the message tool at a terminal, on the bench of --bench (traced with --trace).
// The bench is opened as for a headless run, the bus is searched for listeners, and the lines
// come from --script FILE, else from standard input (with line editing and recall when it is a
// terminal). The history of sent messages is kept in the Parlex folder.
#include <iosfwd>

#include "gpib/backends/backend_registry.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "shell/command_line.h"

namespace veridane {

// The file of sent messages, one per line (8-bit, CR LF), inside the Parlex folder.
inline constexpr const char* kParlexHistoryFile = "Terminal History.txt";

// Returns 0 when every message went through, 1 when one failed, 3 when the bus has no
// listeners (or the run had to end), 4 when the bench or the script cannot be opened.
// `interactive`: `in` is a terminal (line editing then).
int RunParlexTerminal(const BackendRegistry& registry, const CommandLine& options, Settings& settings, Paths paths,
                      std::istream& in, bool interactive, std::ostream& out, std::ostream& err);

}  // namespace veridane
