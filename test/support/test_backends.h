#pragma once
// The back ends the program itself registers: the real adapters' schemes and the simulator.
#include "gpib/backends/backend_registry.h"
#include "sim/backend/sim_backend.h"

namespace veridane::testing {

inline BackendRegistry TestBackends() {
  BackendRegistry registry;
  RegisterHardwareSchemes(registry);
  registry.Register(sim::SimulatedBenchScheme());
  return registry;
}

}  // namespace veridane::testing
