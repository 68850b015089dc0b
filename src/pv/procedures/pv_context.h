#pragma once
// What a verification procedure works with: the bus and the scope on it, the bench instruments,
// the run state, the test frame with its result display, the technician and the clock. The
// start-up code builds one per run from the objects it owns and hands it to every procedure,
// so a procedure never knows whether the bus is a real board, an adapter or the simulator.
#include <string_view>

#include "instruments/calibrator.h"
#include "instruments/instrument_roles.h"
#include "instruments/scanners.h"
#include "instruments/signal_generator.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "platform/operator.h"
#include "scope/scope_identity.h"
#include "pv/frame/result_display.h"
#include "pv/frame/run_state.h"
#include "pv/frame/test_frame.h"

namespace veridane {

struct PvContext {
  GpibBus& bus;
  ScopeIdentity& scope;
  ScopeControl& scopeControl;
  InstrumentRoles& roles;
  Calibrator& calibrator;
  ScannerDriver& scanners;
  SignalGenerator& generator;
  RunState& state;
  TestFrame& frame;
  ResultDisplay& display;
  Operator& op;
  EventLoop& loop;
};

// One command to the scope under test.
void ScopeWrite(PvContext& pv, std::string_view command);

// What the scope answers when it cannot make a measurement.
inline constexpr double kScopeNoMeasurement = 9.9E37;

// The value of the scope's measurement 1 ("MEASU:MEAS1:VAL?"), the mean of RunState::Repeats
// readings, whose replies go to the display for the step's uncertainty. A reply that is not a
// number, or a query that failed on the bus, gives kScopeNoMeasurement, as does a reading the
// scope could not make (its 9.9E37). Kept in double so that the scope's 9.9E37 for "cannot measure", or anything
// larger, can be recognised before the value is narrowed to single precision.
double ReadMeasurement(PvContext& pv);


}  // namespace veridane
