#pragma once
// The simulated benches as a back end of the program: "sim" (the built-in healthy TDS 340
// bench), "sim:NAME" or a bare shipped name, and bench files ("FILE.toml", or any path). The
// opened bench offers the virtual technician as its help at the prompts.
#include "platform/bench_backend.h"

namespace veridane::sim {

BenchScheme SimulatedBenchScheme();

}  // namespace veridane::sim
