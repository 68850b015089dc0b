#include "shell/command_line.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <utility>

#include "gpib/backends/real_backends.h"
#include "pv/catalogue.h"

namespace veridane {

namespace {

// The texts of options that are checked once the whole line is read.
struct CheckedTexts {
  std::string repeats;
  std::string decisionRule;
};

// Options taking a value, and where the value goes.
std::string* ValueField(CommandLine& line, CheckedTexts& checked, const std::string& name,
                        std::optional<std::string>*& optionalField) {
  optionalField = nullptr;
  if (name == "--bench") {
    optionalField = &line.bench;
    return nullptr;
  }
  if (name == "--run") return &line.run;
  if (name == "--answers") return &line.answersFile;
  if (name == "--technician") return &line.technician;
  if (name == "--trace") return &line.traceFile;
  if (name == "--log") return &line.logName;
  if (name == "--serial") return &line.serial;
  if (name == "--operator") return &line.operatorName;
  if (name == "--comments") return &line.comments;
  if (name == "--print") return &line.printFile;
  if (name == "--script") return &line.parlexScript;
  if (name == "--test") return &line.testName;
  if (name == "--csv") return &line.csvFile;
  if (name == "--log-text") return &line.logTextFile;
  if (name == "--repeats") return &checked.repeats;
  if (name == "--decision-rule") return &checked.decisionRule;
  if (name == "--explain") return &line.explain;
  if (name == "--standards") return &line.standardsFile;
  if (name == "--temperature") return &line.temperature;
  if (name == "--humidity") return &line.humidity;
  if (name == "--customer") return &line.customer;
  if (name == "--asset") return &line.assetId;
  if (name == "--certificate") return &line.certificateFile;
  if (name == "--json") return &line.jsonFile;
  if (name == "--junit") return &line.junitFile;
  return nullptr;
}

// Two output paths that end at one file (also when written differently, as "a.pdf" and "./a.pdf").
bool SameOutput(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ignored;
  const auto resolved = [&ignored](const std::string& path) {
    return std::filesystem::weakly_canonical(std::filesystem::absolute(path, ignored), ignored);
  };
  const std::filesystem::path one = resolved(a);
  const std::filesystem::path two = resolved(b);
  return a == b || (!one.empty() && one == two);
}

// Options without a value.
bool* FlagField(CommandLine& line, const std::string& name) {
  if (name == "--help" || name == "-h") return &line.help;
  if (name == "--demo-messbox") return &line.demoMessBox;
  if (name == "--version") return &line.version;
  if (name == "--headless") return &line.headless;
  if (name == "--manual") return &line.manual;
  if (name == "--list-benches") return &line.listBenches;
  if (name == "--list-adapters") return &line.listAdapters;
  if (name == "--doctor") return &line.doctor;
  if (name == "--append") return &line.appendLog;
  if (name == "--id") return &line.idMode;
  if (name == "--parlex") return &line.parlex;
  if (name == "--results") return &line.results;
  if (name == "--no-results") return &line.noResults;
  if (name == "--allow-overdue") return &line.allowOverdue;
  if (name == "--as-found") return &line.asFound;
  if (name == "--as-left") return &line.asLeft;
  if (name == "--partial") return &line.partial;
  return nullptr;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  CheckedTexts checked;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // Any argument with a "?" asks for the About box, whatever else it is.
    if (arg.find('?') != std::string::npos) {
      line.aboutRequested = true;
      const size_t equals = arg.find('=');
      if (arg.rfind("--", 0) == 0 && equals != std::string::npos && arg.find('?') > equals &&
          line.questionInValueOf.empty())
        line.questionInValueOf = arg.substr(0, equals);
      continue;
    }

    const bool dashed = arg.rfind("--", 0) == 0;
    const size_t equals = arg.find('=');
    const std::string name = dashed && equals != std::string::npos ? arg.substr(0, equals) : arg;
    const bool inlineValue = name != arg;
    std::optional<std::string>* optionalField = nullptr;
    // --import and --standard may be given more than once.
    std::string importValue;
    std::string standardValue;
    std::string* field = name == "--import"     ? &importValue
                         : name == "--standard" ? &standardValue
                                                : ValueField(line, checked, name, optionalField);
    if (field != nullptr || optionalField != nullptr) {
      std::string value;
      if (inlineValue) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
        // The next option is never taken as a value: "--trace --headless" lacks the file.
        value = args[++i];
        if (value.find('?') != std::string::npos) {
          line.aboutRequested = true;
          if (line.questionInValueOf.empty()) line.questionInValueOf = name;
        }
      }
      if (value.empty()) {
        line.errors.push_back(name + " needs a value");
      } else if (field == &importValue) {
        line.importFiles.push_back(std::move(value));
      } else if (field == &standardValue) {
        line.standardChoices.push_back(std::move(value));
      } else if (field != nullptr) {
        *field = std::move(value);
      } else {
        *optionalField = std::move(value);
      }
    } else if (bool* flag = FlagField(line, name)) {
      if (inlineValue) {
        line.errors.push_back(name + " takes no value");
      } else {
        *flag = true;
      }
    } else if (dashed) {
      // A mistyped option ("--headles") must not quietly start the window program.
      line.errors.push_back("unknown option " + arg);
    } else {
      line.ignored.push_back(arg);
    }
  }
  // A script nobody reads would look as if it had run.
  if (!line.parlexScript.empty() && !line.parlex) line.errors.push_back("--script needs --parlex");
  if (line.parlex && line.headless) line.errors.push_back("--parlex and --headless are two different runs");
  if (!checked.repeats.empty()) {
    int value = 0;
    const char* end = checked.repeats.data() + checked.repeats.size();
    const auto result = std::from_chars(checked.repeats.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end || value < 1 || value > kMaxRepeats)
      line.errors.push_back("--repeats takes a whole number from 1 to " + std::to_string(kMaxRepeats));
    else
      line.repeats = value;
  }
  if (!checked.decisionRule.empty()) {
    line.decisionRule = DecisionRuleFromName(checked.decisionRule);
    if (!line.decisionRule) line.errors.push_back("--decision-rule is simple or guarded");
  }
  if (!line.explain.empty() && !line.headless) line.errors.push_back("--explain needs --headless");
  if (line.asFound && line.asLeft) line.errors.push_back("--as-found and --as-left: a run is one or the other");
  // An export the window would never write must not look as if it had been asked for.
  for (const auto& [given, option] : {std::pair{&line.jsonFile, "--json"}, std::pair{&line.junitFile, "--junit"},
                                      std::pair{&line.certificateFile, "--certificate"}})
    if (!given->empty() && !line.headless && !line.results) line.errors.push_back(std::string(option) + " needs --headless or --results");
  if (line.junitFile == "-") line.errors.push_back("--junit needs a file (only --json writes to standard output)");
  if (line.partial && line.certificateFile.empty()) line.errors.push_back("--partial needs --certificate");
  // What goes into a log's header or a record is one line: a line end in it would break the
  // header and could even read back as a result row.
  for (const auto& [given, option] :
       {std::pair{&line.serial, "--serial"}, std::pair{&line.operatorName, "--operator"},
        std::pair{&line.comments, "--comments"}, std::pair{&line.customer, "--customer"},
        std::pair{&line.assetId, "--asset"}, std::pair{&line.logName, "--log"}})
    if (std::any_of(given->begin(), given->end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
      line.errors.push_back(std::string(option) + " must be one line of text: it holds a line end or another control character");
  // Two outputs on one path: the second would replace the first without a word.
  const std::pair<const std::string*, const char*> outputs[] = {
      {&line.jsonFile, "--json"}, {&line.junitFile, "--junit"}, {&line.certificateFile, "--certificate"},
      {&line.printFile, "--print"}, {&line.csvFile, "--csv"}, {&line.traceFile, "--trace"}};
  for (size_t a = 0; a < std::size(outputs); ++a)
    for (size_t b = a + 1; b < std::size(outputs); ++b)
      if (!outputs[a].first->empty() && *outputs[a].first != "-" && SameOutput(*outputs[a].first, *outputs[b].first))
        line.errors.push_back(std::string(outputs[a].second) + " and " + outputs[b].second + " name the same file " +
                              *outputs[a].first + "; give each its own");
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
         "                        (a shipped bench), FILE.toml (a bench file), or a GPIB board or\n"
         "                        adapter, written as one of:\n" +
         HardwareFormsHelp(26) +
         "                        remembered for the next start\n"
         "  --list-benches        list the shipped benches and the remembered one, and exit\n"
         "  --list-adapters       list the GPIB boards and serial adapters found, with the\n"
         "                        --bench text for each, and exit\n"
         "  --doctor              say what stands between this machine and a working bench (board\n"
         "                        library, /etc/gpib.conf, /dev/gpib*, groups, udev rule, adapters\n"
         "                        and their listeners, VISA), each line OK, WARN or FAIL with the\n"
         "                        fix; exit 0 when a bench can be opened, else 1\n"
         "  --headless            run without a window; result rows go to standard output,\n"
         "                        prompts and their answers to standard error\n"
         "  --run WHAT            headless: full (the Full Sequence), errorlog (print the scope's\n"
         "                        error log), or test names separated by commas:\n"
         "                        " + RunNames() + "\n"
         "  --answers FILE        headless: answers to the prompts, one rule a line:\n"
         "                        caption-regex<TAB>answer or caption-regex<TAB>text-regex<TAB>answer;\n"
         "                        unlisted prompts get OK, Yes or Retry\n"
         "  --manual              headless: answer No to the Auto-mode offer\n"
         "  --technician virtual  headless, simulated bench: the virtual technician sets the bench\n"
         "                        by hand and answers the prompts\n"
         "  --technician none     window, simulated bench: no help at the bench (by default the\n"
         "                        virtual technician plugs cables and sets hand-set instruments\n"
         "                        before each prompt; you still answer it)\n"
         "  --trace FILE          write every GPIB driver call to FILE, on any bench\n"
         "  --log NAME            headless: keep the results in the log LOG<model>/NAME.log (and its\n"
         "                        NAME.tst status file) in the data folder; an existing log is\n"
         "                        refused unless --append is given, a log another run has open\n"
         "                        is refused always\n"
         "  --append              headless: add to the log of --log when it exists\n"
         "  --serial TEXT         headless: the scope's serial number for the log header and the\n"
         "                        results database (also without --log)\n"
         "  --id                  headless: the header says \"ID:\" instead of \"S/N:\"\n"
         "  --operator TEXT       headless: the operator's name for the log header\n"
         "  --comments TEXT       headless: comments for the log header\n"
         "  --print FILE.pdf      headless: print the result display to a PDF file at the end\n"
         "  --parlex              the GPIB message tool at the terminal, no window: one message per\n"
         "                        line to the selected device (its answer is printed with its\n"
         "                        address), lines starting with ':' are commands (:help lists them)\n"
         "  --script FILE         with --parlex: read the lines from FILE instead of standard input\n"
         "  --no-results          headless: keep this run out of the results database\n"
         "  --results             list the results database's rows and exit; the database is the\n"
         "                        one a run on --bench would use; --serial narrows to one scope\n"
         "  --test NAME           with --results: only this test (a --run name or its title)\n"
         "  --csv FILE            with --results: write the rows to FILE as CSV instead\n"
         "  --import FILE.log     add a result log (ours or a bench PC's) to the results database\n"
         "                        and exit; may be given more than once\n"
         "  --log-text FILE.log   print a result log as plain UTF-8 text, its rows expanded and\n"
         "                        each session (creation, every append) dated where the results\n"
         "                        database knows it, and exit; the .log is left as it is\n"
         "  --repeats N           take N readings per measurement (1 to 100; default 1, which\n"
         "                        sends each query once), judge their mean and add their spread\n"
         "                        to the step's uncertainty\n"
         "  --decision-rule RULE  simple (the verdict against the limits, the default) or guarded\n"
         "                        (pass only inside the limits less U, fail only outside them\n"
         "                        plus U, conditional between); the table keeps its verdicts;\n"
         "                        default: setting DecisionRule\n"
         "  --explain STEP        headless: after the run, print the uncertainty budget of the\n"
         "                        step so named (\"CH1 5 mV/div -990 mV\", or dcv:STEP)\n"
         "  --standards FILE      the register of reference standards (TOML); default: setting\n"
         "                        StandardsFile, else standards.toml in the data folder; a simulated\n"
         "                        bench uses the register it ships\n"
         "  --standard MODEL=ASSET  headless: the register entry on the bench when several share a\n"
         "                        model; may be given more than once\n"
         "  --allow-overdue       headless: run although a standard is overdue, unknown to the\n"
         "                        register or not chosen; the run is marked so\n"
         "  --as-found            headless: the run's results are the unit as it came in (the\n"
         "                        default)\n"
         "  --as-left             headless: the run's results are the unit after adjustment\n"
         "  --temperature DEG_C   headless: the lab's temperature, recorded with the run\n"
         "  --humidity PERCENT    headless: the lab's relative humidity, recorded with the run\n"
         "  --customer TEXT       headless: the unit's owner, recorded with the run\n"
         "  --asset TEXT          headless: the unit's asset id, recorded with the run\n"
         "  --certificate FILE.pdf  the calibration certificate of the run just made, or with\n"
         "                        --results --run ID of a stored run\n"
         "  --partial             with --certificate: also for a run with a test stopped or not\n"
         "                        run (the certificate names them)\n"
         "  --json FILE           the run just made (or with --results the stored runs) as JSON;\n"
         "                        - writes to standard output and the tables to standard error\n"
         "  --junit FILE          the same as JUnit XML: a testsuite per test, a testcase per step\n"
         "  --run ID              with --results: only the stored run ID\n"
         "  ?                     show the About box and exit\n"
         "\n"
         "Words without \"--\" are ignored; an unknown \"--\" option ends the program (exit code 4).\n"
         "The window needs a display; without one, use --headless.\n"
         "\n"
         "Headless exit codes: 0 every test run passed, 1 a test or the self calibration failed,\n"
         "2 the run was aborted, 3 the program ended on a fatal message, or after the tests: result\n"
         "rows were not stored or a report could not be written, 4 the command line, a setting\n"
         "or a file it names is wrong, or a reference standard is overdue or not in the register\n"
         "(without --allow-overdue).\n"
         "With --parlex: 0 every message went through, 1 a message failed, 3 no listeners on the\n"
         "bus, 4 the command line or the script is wrong.\n";
}

}  // namespace veridane
