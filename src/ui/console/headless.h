#pragma once
// A run without a display: start-up, the tests named on the command line, the orderly exit.
// Prompts are answered on the console (or, on a simulated bench, by the virtual technician);
// the exit code tells a script how the verification went.
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "gpib/backends/backend_registry.h"
#include "pv/catalogue.h"
#include "pv/frame/result_row.h"
#include "shell/command_line.h"
#include "shell/exit_codes.h"
#include "ui/console/console_looks.h"
#include "platform/paths.h"
#include "platform/settings.h"

namespace veridane {


// In a run plan: the self calibration (SPC), which is no numbered test.
inline constexpr int kRunSelfCal = kSelfCalEntry;

// The --run name that reads the scope's error log instead of running tests.
inline constexpr const char* kErrorLogRunName = "errorlog";

// What --run names: test numbers 1 to 5 (or kRunSelfCal) in the given order, the Full
// Sequence, or the scope's error log printed to out.
struct RunPlan {
  bool fullSequence = false;
  bool errorLog = false;
  std::vector<int> tests;
  std::string error;  // empty when the text was understood
};

// Run names of the test catalogue ("selfcal", "offset", ...; any case, separated by commas), or
// "full" or "errorlog" alone.
RunPlan ParseRunPlan(std::string_view text);

// Runs the whole program headless; returns the exit code. Result rows go to out, prompts,
// their answers and the program's messages to messages; looks says whether a person watches
// them on a terminal (colours on out, progress lines on messages).
int RunHeadless(const BackendRegistry& registry, const CommandLine& options, Settings& settings, const Paths& paths,
                std::ostream& out, std::ostream& messages, const ConsoleLooks& looks = {});

// --explain: the budgets of the shown steps named `step` ("CH1 2 mV/div", any case) or
// "RUNNAME:STEP"; false (and a list of the steps there are on messages) when none is.
bool ExplainSteps(const std::vector<AssessedStep>& steps, std::string_view step, std::ostream& out,
                  std::ostream& messages);

}  // namespace veridane
