#pragma once
// The program's command line, read into one plain struct before any window exists.
// New options get a field here, a case in ParseCommandLine and a line in UsageText.
#include <optional>
#include <string>
#include <vector>

#include "uncertainty/decision.h"

namespace veridane {

struct CommandLine {
  bool help = false;           // --help / -h: print the usage and end
  bool version = false;        // --version: print the program's title and version and end
  bool aboutRequested = false;  // any argument containing "?": start-up shows only the About box
  std::string questionInValueOf;  // the option whose value held that "?" ("--comments"), if one did
  bool demoMessBox = false;    // --demo-messbox (hidden): show a sample message box and end
  bool listBenches = false;    // --list-benches: print the shipped benches and the remembered one
  bool listAdapters = false;   // --list-adapters: print the GPIB boards and adapters found here
  bool doctor = false;         // --doctor: say what stands between this machine and a bench

  std::optional<std::string> bench;  // --bench TEXT: sim, sim:NAME, FILE.toml, ni:0, ...
  bool headless = false;             // --headless: no window; prompts answered on the console
  std::string run;                   // --run offset|dcv|full|NAME,NAME...: what a headless run does
  std::string answersFile;           // --answers FILE: caption-regex<TAB>answer lines
  std::string technician;            // --technician virtual: the simulated bench's own technician
  bool manual = false;               // --manual: answer No to the Auto-mode offer
  std::string traceFile;             // --trace FILE: every driver call, one line each

  // Headless result log: --log NAME creates LOG<model>/NAME.log before the tests (--append:
  // adds to it when it exists); the header takes --serial, --operator, --comments, --id.
  std::string logName;
  bool appendLog = false;
  std::string serial;
  std::string operatorName;
  std::string comments;
  bool idMode = false;
  std::string printFile;  // --print FILE.pdf: the display printed to a PDF file at the end

  bool parlex = false;       // --parlex: the message tool at the terminal, no window
  std::string parlexScript;  // --script FILE: its lines instead of standard input
  // The results store: --no-results keeps a run out of it; --results lists (or with --csv FILE
  // exports) the stored rows, narrowed by --serial and --test NAME; --import FILE.log adds a log.
  bool noResults = false;
  bool results = false;
  std::string testName;
  std::string csvFile;
  std::vector<std::string> importFiles;
  std::string logTextFile;  // --log-text FILE.log: the log as readable text on standard output
  // Measurement uncertainty: readings per measurement (--repeats N, 1 to 100), the decision
  // rule (--decision-rule simple|guarded; none: setting DecisionRule), and --explain STEP
  // (headless: the budget of the steps so named, or RUNNAME:STEP, after the run).
  int repeats = 1;
  std::optional<DecisionRule> decisionRule;
  std::string explain;

  // The calibration record. --standards FILE: the register of reference standards; --standard
  // MODEL=ASSET (repeatable): which entry is on the bench when several share a model;
  // --allow-overdue: run (and mark the run) although a standard is overdue or unmatched.
  std::string standardsFile;
  std::vector<std::string> standardChoices;
  bool allowOverdue = false;
  bool asFound = false;  // --as-found (the default label) / --as-left
  bool asLeft = false;
  std::string temperature;  // --temperature DEG_C, --humidity PERCENT: the lab's conditions
  std::string humidity;
  std::string customer;
  std::string assetId;          // --asset TEXT: the unit's asset id
  std::string certificateFile;  // --certificate FILE.pdf: of the run just made, or of --results --run ID
  bool partial = false;         // --partial: a certificate also for a run with a test not finished
  std::string jsonFile;         // --json FILE ("-": standard output; the tables then go to standard error)
  std::string junitFile;        // --junit FILE

  // Options given wrongly: an unknown "--" option, a missing value, a value given to a flag.
  // Each is one line; the program shows them and ends.
  std::vector<std::string> errors;
  std::vector<std::string> ignored;  // words without "--" (and not "-h"); accepted and left alone
};

// The most readings --repeats takes per measurement.
inline constexpr int kMaxRepeats = 100;

// args excludes the program name. Options with a value take it as the next argument or after
// "=" (--bench=sim); a next argument starting with "--" is an option, not the value.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText(const std::string& programName);

}  // namespace veridane
