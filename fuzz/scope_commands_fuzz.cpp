// The simulated scope's command parser and command set: any program message is parsed, obeyed
// or refused into the error queue, and whatever the scope then answers is one message.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "sim/scope/command_parser.h"
#include "sim/scope/scope_config.h"
#include "sim/scope/sim_scope.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane::sim;
  if (size > 4096) return -1;  // a program message is a line, not a file
  veridane::fuzz::Input input(data, size);
  SimScope scope(HealthyScopeConfig("TDS 340"), [](ScopeInput) { return Signal{}; });
  for (int message = 0; message < 8; ++message) {
    const std::string text = input.TakeUntil('\n');
    (void)ParseProgramMessage(text);
    scope.Receive(text);
    for (int reads = 0; reads < 3; ++reads)
      if (!scope.Respond()) break;
  }
  return 0;
}
