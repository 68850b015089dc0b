#pragma once
// The results database from the command line: --results lists the stored rows (or writes them
// to --csv FILE), narrowed by --serial and --test; --import FILE.log adds result logs. The
// database is the one a run on the chosen bench (--bench, else the remembered one) would use.
#include <iosfwd>
#include <vector>

#include "gpib/backends/backend_registry.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "results/log_import.h"
#include "shell/command_line.h"

namespace veridane {

// The tests of the catalogue (Self Cal aside) as result logs name them, for the import.
std::vector<ImportTest> CatalogueTests();

// Returns the exit code: 0 done, 3 the database failed, 4 the command line, the setting or a
// named file is wrong.
int RunResultsCommand(const BackendRegistry& registry, const CommandLine& options, const Settings& settings,
                      const Paths& paths, std::ostream& out, std::ostream& messages);

}  // namespace veridane
