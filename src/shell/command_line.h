#pragma once
// The program's command line, read into one plain struct before any window exists.
// New options get a field here, a case in ParseCommandLine and a line in UsageText.
#include <optional>
#include <string>
#include <vector>

namespace veridane {

struct CommandLine {
  bool help = false;           // --help / -h: print the usage and end
  bool version = false;        // --version: print the program's title and version and end
  bool aboutRequested = false;  // any argument containing "?": start-up shows only the About box
  bool demoMessBox = false;    // --demo-messbox (hidden): show a sample message box and end

  std::optional<std::string> bench;  // --bench TEXT: sim, sim:NAME, FILE.toml, ni:0, ...
  bool headless = false;             // --headless: no window; prompts answered on the console
  std::string run;                   // --run offset|dcv|full|NAME,NAME...: what a headless run does
  std::string answersFile;           // --answers FILE: caption-regex<TAB>answer lines
  std::string technician;            // --technician virtual: the simulated bench's own technician
  bool manual = false;               // --manual: answer No to the Auto-mode offer
  std::string traceFile;             // --trace FILE: the simulated bus traffic, one line per event

  std::vector<std::string> errors;   // options given wrongly (a missing value); shown, then the end
  std::vector<std::string> ignored;  // arguments not known; accepted and left alone
};

// args excludes the program name. Options with a value take it as the next argument or after
// "=" (--bench=sim).
CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText(const std::string& programName);

}  // namespace veridane
