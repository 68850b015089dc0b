#pragma once
// A simulated scope on a test bench whose input signals the test sets directly.
#include <map>
#include <memory>
#include <string>

#include "platform/numbers.h"
#include "sim/scope/sim_scope.h"

namespace veridane::sim::testing {

class ScopeBench {
 public:
  explicit ScopeBench(ScopeConfig config = HealthyScopeConfig("TDS 340"), EventLoop* clock = nullptr)
      : scope_(std::make_unique<SimScope>(
            std::move(config), [this](ScopeInput input) { return signals_[input]; }, clock)) {}

  SimScope& Scope() { return *scope_; }
  void Apply(ScopeInput input, Signal signal) { signals_[input] = signal; }

  void Write(const std::string& message) { scope_->Receive(message); }
  // Writes a query and reads its reply without the line end; empty when no reply comes.
  std::string Ask(const std::string& message) {
    scope_->Receive(message);
    std::optional<std::string> reply = scope_->Respond();
    if (!reply) return "";
    if (!reply->empty() && reply->back() == '\n') reply->pop_back();
    return *reply;
  }
  double Number(const std::string& query) { return NumericValue(Ask(query)); }

  static Signal Sine(double vpp, double hz, double dc = 0) {
    Signal s;
    s.kind = Signal::Kind::Sine;
    s.vpp = vpp;
    s.frequencyHz = hz;
    s.dcVolts = dc;
    return s;
  }
  static Signal Dc(double volts) {
    Signal s;
    s.kind = Signal::Kind::Dc;
    s.dcVolts = volts;
    return s;
  }
  static Signal Marks(double period, double volts = 1.0) {
    Signal s;
    s.kind = Signal::Kind::TimeMarks;
    s.markerPeriodS = period;
    s.markerVolts = volts;
    return s;
  }

 private:
  std::map<ScopeInput, Signal> signals_;
  std::unique_ptr<SimScope> scope_;
};

}  // namespace veridane::sim::testing
