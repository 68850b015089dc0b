#pragma once
// Everything a command of the simulated scope may read or change, in one place so that the
// command table's handlers stay plain functions.
#include <algorithm>
#include <string>

#include "platform/event_loop.h"
#include "sim/scope/error_log.h"
#include "sim/scope/scope_config.h"
#include "sim/scope/scope_physics.h"
#include "sim/scope/scope_settings.h"
#include "sim/scope/status_registers.h"

namespace veridane::sim {

// DATA: what CURVE? sends. Kept through *RST, as the instrument keeps it; DATA INIT resets it.
struct WaveformTransfer {
  int source = 1;       // channel
  size_t encoding = 1;  // index into ASCIi, RIBinary, RPBinary, SRIbinary, SRPbinary
  int width = 1;        // bytes a point
  int start = 1;        // first and last point sent, 1..1000
  int stop = 1000;
};

struct ScopeCore {
  ScopeCore(ScopeConfig configuration, InputSignals inputs, EventLoop* eventClock)
      : config(std::move(configuration)),
        physics(config, std::move(inputs)),
        errorLog(config.errorLog),
        clock(eventClock) {}
  ScopeCore(const ScopeCore&) = delete;
  ScopeCore& operator=(const ScopeCore&) = delete;

  // *RST: front-panel state to default; headers, verbosity, enables and the log stay.
  void Reset() {
    settings = DefaultScopeSettings();
    Busy(config.resetSeconds);
  }
  // FAC: as *RST, and the interface settings and status enables back to factory values.
  void Factory() {
    settings = DefaultScopeSettings();
    headers = true;
    verbose = true;
    status.FactoryEnables();
    errorLog.Lock();
    Busy(config.factorySeconds);
  }
  // A long operation: replies wait until it is over, BUSY? answers 1 meanwhile.
  void Busy(double seconds) {
    if (clock && seconds > 0) busyUntil = std::max(busyUntil, clock->Now() + seconds);
  }
  bool IsBusy() const { return clock && clock->Now() < busyUntil; }

  // Element names and choices in replies: long forms when verbose, else short forms.
  std::string Choice(std::string_view pattern) const;

  ScopeConfig config;
  ScopeSettings settings = DefaultScopeSettings();
  ScopePhysics physics;
  WaveformTransfer transfer;
  StatusRegisters status;
  ScopeErrorLog errorLog;
  EventLoop* clock;
  double busyUntil = 0;
  bool headers = true;
  bool verbose = true;
  bool outputPending = false;  // replies already queued: the MAV bit while a message runs
};

}  // namespace veridane::sim
