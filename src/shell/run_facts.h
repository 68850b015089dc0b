#pragma once
// What a stored run is tagged with, read from the program at the moment of a result row: the
// scope, the log header's serial/ID, operator and comments (else what the command line gave),
// and the bench.
#include <string>

#include "results/results_store.h"
#include "shell/program.h"

namespace veridane {

RunFacts CurrentRunFacts(const Program& program, const std::string& benchText, const std::string& serialUtf8,
                         const std::string& operatorUtf8);

}  // namespace veridane
