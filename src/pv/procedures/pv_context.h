#pragma once
// What a verification procedure works with, in small parts, so that each one is handed only
// what it uses: the scope on its bus, the bench instruments, the technician, the test under
// way (run state, frame, result display) and the run's stop. Start-up builds the parts once
// per run from the objects it owns; the catalogue's rows hand each procedure its parts. A
// procedure never knows whether the bus is a real board, an adapter or the simulator.
#include <string_view>

#include "instruments/calibrator.h"
#include "instruments/instrument_roles.h"
#include "instruments/scanners.h"
#include "instruments/signal_generator.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/operator.h"
#include "scope/scope_identity.h"
#include "pv/frame/result_display.h"
#include "pv/frame/run_state.h"
#include "pv/frame/test_frame.h"

namespace veridane {

// The scope under test on its bus.
struct ScopeLink {
  GpibBus& bus;
  ScopeIdentity& identity;
  ScopeControl& control;

  int16_t Device() const { return identity.ScopeDevice; }
};

// The bench instruments the program can drive, and which of them are on the bus.
struct BenchParts {
  InstrumentRoles& roles;
  Calibrator& calibrator;
  ScannerDriver& scanners;
  SignalGenerator& generator;
};

// The test under way: the run's state, the frame that begins and ends it, its result display.
struct TestRun {
  RunState& state;
  TestFrame& frame;
  ResultDisplay& display;
};

// The run's stop (Exit Test, a Cancel or No of the technician): raised by an answer, looked at
// between steps.
class StopToken {
 public:
  explicit StopToken(bool& flag) : flag_(&flag) {}
  bool Raised() const { return *flag_; }
  void Raise() { *flag_ = true; }

 private:
  bool* flag_;
};

// Every part, as start-up wires them; only the catalogue's rows open it.
struct PvContext {
  ScopeLink scope;
  BenchParts bench;
  TestRun test;
  Operator& op;
};

// One command to the scope under test.
void ScopeWrite(ScopeLink& scope, std::string_view command);

// What the scope answers when it cannot make a measurement.
inline constexpr double kScopeNoMeasurement = 9.9E37;

// The value of the scope's measurement 1 ("MEASU:MEAS1:VAL?"), the mean of RunState::Repeats
// readings, whose replies go to the display for the step's uncertainty. A reply that is not a
// number, or a query that failed on the bus, gives kScopeNoMeasurement, as does a reading the
// scope could not make (its 9.9E37). Kept in double so that the scope's 9.9E37 for "cannot measure", or anything
// larger, can be recognised before the value is narrowed to single precision.
double ReadMeasurement(ScopeLink& scope, TestRun& test);

}  // namespace veridane
