#pragma once
// What the bench puts on a scope input. The scope model computes its readings from this; the
// bench computes it from the instruments' settings and the wiring (cables, relays, attenuator).
#include <functional>

namespace veridane::sim {

enum class ScopeInput { Ch1, Ch2, ExtTrig };

struct Signal {
  enum class Kind { None, Dc, Sine, TimeMarks };
  Kind kind = Kind::None;
  double dcVolts = 0;      // Dc: the level; Sine: an offset added to the sine
  double vpp = 0;          // Sine: peak-to-peak volts
  double frequencyHz = 0;  // Sine: frequency
  double markerPeriodS = 0;  // TimeMarks: time between marker edges
  double markerVolts = 0;    // TimeMarks: marker amplitude
};

// Asked by the scope whenever it needs the signal at an input (never cached: a cable may have
// been moved since).
using InputSignals = std::function<Signal(ScopeInput)>;

}  // namespace veridane::sim
