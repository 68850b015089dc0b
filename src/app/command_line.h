#pragma once
// The program's command line, read into one plain struct before any window exists.
// New options get a field here, a case in ParseCommandLine and a line in UsageText.
#include <string>
#include <vector>

namespace veridane {

struct CommandLine {
  bool help = false;           // --help / -h: print the usage and end
  bool aboutRequested = false;  // any argument containing "?": start-up shows only the About box
  bool demoMessBox = false;    // --demo-messbox (hidden): show a sample message box and end
  std::vector<std::string> ignored;  // arguments not known (yet); accepted and left alone
};

// args excludes the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText(const std::string& programName);

}  // namespace veridane
