#include "sim/bench/environment_bench.h"

#include <cstdlib>
#include <exception>
#include <iostream>

#include "sim/bus/conformance_devices.h"

namespace veridane::sim {

std::unique_ptr<Bench> OpenEnvironmentBench(EventLoop& clock, std::string_view library) {
  const char* name = std::getenv("VERIDANE_SIM_BENCH");
  const char* data = std::getenv("VERIDANE_SIM_DATA");
  BenchOptions options;
  if (data != nullptr) options.dataFolder = data;
  try {
    std::unique_ptr<Bench> bench = Bench::Open(name && *name ? name : "default", clock, options);
    if (std::getenv(ConformanceDevices::kEnvironment) != nullptr) ConformanceDevices::AttachTo(bench->SimulatedBus());
    return bench;
  } catch (const std::exception& error) {
    std::cerr << library << ": " << error.what() << "\n";
    return nullptr;
  }
}

}  // namespace veridane::sim
