#include "app/command_line.h"

namespace veridane {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else if (arg == "--demo-messbox") {
      line.demoMessBox = true;
    } else if (arg.find('?') != std::string::npos) {
      line.aboutRequested = true;
    } else {
      line.ignored.push_back(arg);
    }
  }
  return line;
}

std::string UsageText(const std::string& programName) {
  return "Usage: " + programName +
         " [options]\n"
         "Performance verification of TDS 300-series oscilloscopes over GPIB.\n"
         "\n"
         "Options:\n"
         "  -h, --help     show this help and exit\n";
}

}  // namespace veridane
