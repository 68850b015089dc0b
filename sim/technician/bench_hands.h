#pragma once
// The technician's hands on the simulated bench: cables, feed-through terminations, the
// knobs of the hand-set generator, calibrator and time-mark generator. Each action returns a
// short description for the transcript, or throws ActionImpossible when the bench cannot do
// what the prompt asks (nothing connected to move, a level the instrument cannot make).
//
// Knob settings of the sine generator can carry a human-sized error (a fraction, e.g. 0.02
// for up to ±2 %), drawn from a seeded sequence so that a run can be repeated. The calibrator
// is keyed in and the time marks are switched in steps: they are set exactly.
#include <cstdint>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

#include "sim/bench/bench.h"
#include "sim/technician/prompt_reading.h"

namespace veridane::sim {

class ActionImpossible : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class BenchHands {
 public:
  BenchHands(Bench& bench, double knobError, uint32_t seed);

  std::string Connect(const std::string& source, ScopeInput input, bool terminated);
  // The signal the technician is working with goes to `input`; its termination too if asked.
  std::string Move(ScopeInput input, bool withTermination);
  std::string DisconnectAll();
  // The Auto bench: no hand cables (the system cables reach the inputs), no terminations.
  std::string UseSystemCables();
  std::string Terminate(ScopeInput input);
  std::string TerminateAll(bool terminated);

  std::string SetGenerator(const GeneratorSetting& setting);
  std::string SetCalibratorVolts(double volts);
  std::string SetTimeMarks(double periodSeconds);
  std::string TurnKnob(const KnobInstruction& knob);

  // Where the technician's signal is: the input of the cable they plugged last, or on the
  // Auto bench the input the relays join. Nullopt when nothing is connected.
  std::optional<ScopeInput> SignalInput() const;
  // The source of that signal: "SG", "CALIB", "CGTR"; empty when none.
  std::string SignalSource() const;

 private:
  double WithKnobError(double value);
  double GeneratorHz() const;
  double GeneratorVpp() const;
  double MarkerPeriod() const;
  // Volts p-p at the signal's input per volt p-p set on the generator.
  double InputGain() const;
  std::optional<double> ScopeShows(const char* type) const;
  void SetGeneratorVpp(double vpp);
  void SetGeneratorHz(double hz);
  std::string LevelOnScope(double targetVpp);

  Bench& bench_;
  double knobError_;
  std::mt19937 random_;
  std::optional<ScopeInput> cableInput_;  // where the technician's own cable is
  std::string cableSource_;
};

std::string DescribeInput(ScopeInput input);  // "CH 1", "CH 2", "EXT TRIG"

}  // namespace veridane::sim
