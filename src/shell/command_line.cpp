#include "shell/command_line.h"

#include <utility>

namespace veridane {

namespace {

// Options taking a value, and where the value goes.
std::string* ValueField(CommandLine& line, const std::string& name, std::optional<std::string>*& optionalField) {
  optionalField = nullptr;
  if (name == "--bench") {
    optionalField = &line.bench;
    return nullptr;
  }
  if (name == "--run") return &line.run;
  if (name == "--answers") return &line.answersFile;
  if (name == "--technician") return &line.technician;
  if (name == "--trace") return &line.traceFile;
  return nullptr;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // Any argument with a "?" asks for the About box, whatever else it is.
    if (arg.find('?') != std::string::npos) line.aboutRequested = true;

    const size_t equals = arg.find('=');
    const std::string name = arg.rfind("--", 0) == 0 && equals != std::string::npos ? arg.substr(0, equals) : arg;
    std::optional<std::string>* optionalField = nullptr;
    std::string* field = ValueField(line, name, optionalField);
    if (field != nullptr || optionalField != nullptr) {
      std::string value;
      if (equals != std::string::npos && name != arg) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
        if (value.find('?') != std::string::npos) line.aboutRequested = true;
      } else {
        line.errors.push_back(name + " needs a value");
        continue;
      }
      if (value.empty()) {
        line.errors.push_back(name + " needs a value");
      } else if (field != nullptr) {
        *field = std::move(value);
      } else {
        *optionalField = std::move(value);
      }
    } else if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else if (arg == "--version") {
      line.version = true;
    } else if (arg == "--demo-messbox") {
      line.demoMessBox = true;
    } else if (arg == "--headless") {
      line.headless = true;
    } else if (arg == "--manual") {
      line.manual = true;
    } else if (arg.find('?') == std::string::npos) {
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
         "  -h, --help            show this help and exit\n"
         "  --version             show the program's version and exit\n"
         "  --bench TEXT          the bench: sim (built-in simulated bench, the default), sim:NAME\n"
         "                        (a shipped bench), FILE.toml (a bench file); remembered for the\n"
         "                        next start\n"
         "  --headless            run without a window; result rows go to standard output,\n"
         "                        prompts and their answers to standard error\n"
         "  --run WHAT            headless: offset, dcv, full, or test names separated by commas\n"
         "  --answers FILE        headless: answers to the prompts, one rule a line:\n"
         "                        caption-regex<TAB>answer or caption-regex<TAB>text-regex<TAB>answer;\n"
         "                        unlisted prompts get OK, Yes or Retry\n"
         "  --manual              headless: answer No to the Auto-mode offer\n"
         "  --technician virtual  headless, simulated bench: the virtual technician sets the bench\n"
         "                        by hand and answers the prompts\n"
         "  --technician none     window, simulated bench: no help at the bench (by default the\n"
         "                        virtual technician plugs cables and sets hand-set instruments\n"
         "                        before each prompt; you still answer it)\n"
         "  --trace FILE          simulated bench: write the bus traffic to FILE\n"
         "  ?                     show the About box and exit\n"
         "\n"
         "Headless exit codes: 0 every test run passed, 1 a test failed, 2 the run was aborted,\n"
         "3 the program ended on a fatal message, 4 the command line or a file it names is wrong.\n";
}

}  // namespace veridane
