#pragma once
// A simulated TDS 3x0 oscilloscope on the simulated GPIB bus: it parses the family's
// commands, keeps its front-panel and status state, and computes its readings from the
// signals the bench puts on its inputs.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "sim/scope/command_parser.h"
#include "sim/scope/scope_commands.h"
#include "sim/scope/scope_config.h"
#include "sim/scope/scope_core.h"
#include "sim/sim_device.h"
#include "sim/signal.h"

namespace veridane::sim {

class SimScope : public SimDevice {
 public:
  // With a clock, long operations (*CAL?, FAC, *RST) take their time on it: the reply to a
  // following query waits (blocking the clock) until they are over.
  SimScope(ScopeConfig config, InputSignals inputs, EventLoop* clock = nullptr);

  void Receive(std::string_view message) override;
  std::optional<std::string> Respond() override;
  double SecondsUntilReady() const override {
    return core_.IsBusy() ? core_.busyUntil - core_.clock->Now() : 0;
  }
  uint8_t SerialPoll() override;
  void DeviceClear() override;
  void GoToLocal() override { remote_ = false; }

  // Whether the scope holds SRQ asserted (for the bus's wait on RQS).
  bool RequestingService();
  bool Remote() const { return remote_; }

  const ScopeConfig& Config() const { return core_.config; }
  const ScopeSettings& Settings() const { return core_.settings; }

 private:
  bool Execute(const ScopeCommand& command, std::vector<std::string>& path, std::vector<std::string>& replies);
  std::optional<std::string> Query(const std::vector<std::string>& header, bool common);
  std::string Compound(const std::vector<CommandLeaf>& leaves, bool headers);
  std::string HeaderText(const CommandLeaf& leaf, size_t from) const;
  bool Error(int code, const std::string& message);

  ScopeCore core_;
  std::optional<std::string> output_;
  bool remote_ = false;
  bool queryCommandError_ = false;
};

}  // namespace veridane::sim
