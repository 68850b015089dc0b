#pragma once
// What the technician reads off the scope's screen: the live measurement the program set up
// for them in the first measurement slot. Reading it goes to the simulated scope directly,
// not over the bus, so the program's traffic and trace stay as they were.
#include <optional>
#include <string_view>

#include "sim/scope/sim_scope.h"

namespace veridane::sim {

// The value shown by measurement slot 1 when it is on, of the given type ("FREQ" or "PK2",
// matched as a prefix of the scope's type name) and on the given channel (1 or 2). Nullopt
// when the slot shows something else, is off, or shows no valid reading.
std::optional<double> ShownMeasurement(SimScope& scope, std::string_view type, int channel);

}  // namespace veridane::sim
