#pragma once
// `veridane --log-text FILE.log`: the log as plain UTF-8 text on standard output, rows expanded,
// sessions dated from the results database of the data folder the log lies in.
#include <iosfwd>

#include "platform/paths.h"
#include "platform/settings.h"
#include "shell/command_line.h"

namespace veridane {

// 0 printed; 4 the file cannot be read. A database that cannot be read is said on
// `messages`, and the text is printed without dates.
int RunLogTextCommand(const CommandLine& options, const Settings& settings, const Paths& paths, std::ostream& out,
                      std::ostream& messages);

}  // namespace veridane
