#pragma once
// The bench a stand-in driver library (the simulated board library, the simulated VISA) serves,
// chosen by the environment when the library is first used:
//   VERIDANE_SIM_BENCH        a shipped bench name or a bench file (default: "default")
//   VERIDANE_SIM_DATA         where the bench writes its instrument data (default: a temporary
//                             folder, removed when the program ends)
//   VERIDANE_SIM_CONFORMANCE  set: the conformance suite's devices join the bench
//                             (sim/bus/conformance_devices.h)
#include <memory>
#include <string_view>

#include "platform/event_loop.h"
#include "sim/bench/bench.h"

namespace veridane::sim {

// The bench, running on `clock`; nullptr when it cannot be opened, with the reason on standard
// error after `library` (a C library's interface has no other way to say why).
std::unique_ptr<Bench> OpenEnvironmentBench(EventLoop& clock, std::string_view library);

}  // namespace veridane::sim
