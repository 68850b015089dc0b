#pragma once
// A simulated bench the test keeps its own hold on, handed to the Launcher as the run's bench:
// the test can still look inside it (wiring, trace, faults) while the program talks to it.
#include "platform/bench_backend.h"
#include "sim/bench/bench.h"

namespace veridane::testing {

class BorrowedBench : public OpenedBench {
 public:
  explicit BorrowedBench(sim::Bench& bench) : bench_(bench) {}
  Gpib488& Driver() override { return bench_.Bus(); }
  std::filesystem::path InstrumentDataFolder() const override { return bench_.InstrumentDataFolder(); }

 private:
  sim::Bench& bench_;
};

}  // namespace veridane::testing
