#pragma once
// What a verification procedure works with, in small parts, so that each one is handed only
// what it uses: the scope on its bus, the bench instruments, the technician, the test under
// way (run state, frame, result display) and the run's stop. Start-up builds the parts once
// per run from the objects it owns; the catalogue's rows hand each procedure its parts. A
// procedure never knows whether the bus is a real board, an adapter or the simulator.
#include <initializer_list>
#include <string_view>

#include "instruments/calibrator.h"
#include "instruments/instrument_roles.h"
#include "instruments/scanners.h"
#include "instruments/signal_generator.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/operator.h"
#include "scope/scope_identity.h"
#include "scope/scope_measurement.h"
#include "pv/frame/result_display.h"
#include "pv/frame/run_state.h"
#include "pv/frame/stop_token.h"
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

// The test under way: the run's state to read (Auto mode, Full Sequence, repeats), the frame
// that runs it (TestFrame::Run) and prompts in it, its result display. A test's stop comes
// from the frame as a StopToken.
struct TestRun {
  const RunState& state;
  TestFrame& frame;
  ResultDisplay& display;
};

// Every part, as start-up wires them; only the catalogue's rows open it. The run state is
// writable only for the self calibration, which keeps its result there.
struct PvContext {
  ScopeLink scope;
  BenchParts bench;
  TestRun test;
  Operator& op;
  RunState& state;
};

// One command to the scope under test.
void ScopeWrite(ScopeLink& scope, std::string_view command);

// The set-up a test opens with: the commands in order, then the wait until the scope has
// carried them out.
void ScopeSetUp(ScopeLink& scope, std::initializer_list<std::string_view> commands);

// The scope's measurement 1, the mean of RunState::Repeats readings (see scope_measurement.h):
// a value or none, with the replies that go with the step into its uncertainty.
Measurement ReadMeasurement(ScopeLink& scope, const TestRun& test);
// The readings a step judged from a measurement, for its uncertainty: none without a value.
std::vector<StepReadings> ReadingsOf(const Measurement& measurement);

}  // namespace veridane
