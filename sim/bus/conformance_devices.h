#pragma once
// Three small devices every GPIB back end is checked against, the same whichever way the bus is
// reached (in process, through the emulated adapters, through the stand-in board and VISA
// libraries, which attach them when the environment variable VERIDANE_SIM_CONFORMANCE is set):
// a device that echoes what it gets (binary blocks included), one that answers only after
// kSlowSeconds, and one that vanishes from the bus after its first message.
#include <memory>

#include "sim/bus/echo_device.h"
#include "sim/bus/sim_bus.h"

namespace veridane::sim {

struct ConformanceDevices {
  static constexpr int kEchoAddress = 20;
  static constexpr int kSlowAddress = 21;
  static constexpr int kVanishingAddress = 22;
  static constexpr double kSlowSeconds = 0.6;
  static constexpr const char* kEnvironment = "VERIDANE_SIM_CONFORMANCE";

  // The bus owns them.
  static void AttachTo(SimBus& bus) {
    bus.Attach(kEchoAddress, std::make_unique<EchoDevice>("*IDN?", "VERIDANE,ECHO,0,1"));
    bus.Attach(kSlowAddress, std::make_unique<EchoDevice>("*IDN?", "VERIDANE,SLOW,0,1"));
    bus.SetSlow(kSlowAddress, kSlowSeconds);
    bus.Attach(kVanishingAddress, std::make_unique<EchoDevice>("*IDN?", "VERIDANE,VANISHING,0,1"));
    bus.SetVanishAfter(kVanishingAddress, 0);  // there until its first message ends
  }
};

}  // namespace veridane::sim
