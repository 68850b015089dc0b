#pragma once
// The calibration record in a headless run: the context from the command line, the due-date
// gate after the instruments are found, and the JSON, JUnit and certificate of the run made.
#include <ostream>
#include <vector>

#include "platform/settings.h"
#include "results/results_store.h"
#include "shell/command_line.h"
#include "shell/launcher.h"

namespace veridane {

// The context the command line gives (label, conditions, customer, asset); kExitPassed, or
// kExitUsage with the reason written to messages.
int RecordContextFromOptions(const CommandLine& options, RunContext& context, std::ostream& messages);

// After start-up found the instruments, before any test: the register, the standards on the
// bench and their due dates. kExitPassed when the run may go on (program.Record() then holds
// the context), kExitUsage when the register is wrong or a standard stops the run.
int GateStandards(Launcher& launcher, Settings& settings, const CommandLine& options, const RunContext& context,
                  std::ostream& messages);

// How the tests ended, stored with the run just made.
void StoreTestOutcomes(Launcher& launcher, const std::vector<int>& tests);

// --json, --junit and --certificate for the runs of this program; kExitPassed, or kExitEnded
// when one could not be written (said on messages).
int WriteRunExports(Launcher& launcher, Settings& settings, const CommandLine& options, std::ostream& out,
                    std::ostream& messages);

// The same for stored runs (--results with --run ID, else the runs the filter selects).
int WriteStoredExports(ResultsStore& store, const std::vector<int64_t>& runIds, const Settings& settings,
                       const CommandLine& options, std::ostream& out, std::ostream& messages);

}  // namespace veridane
