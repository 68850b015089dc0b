#pragma once
// An instrument output that can be wired to a scope input.
#include "sim/signal.h"

namespace veridane::sim {

class SignalSource {
 public:
  virtual ~SignalSource() = default;
  // What the output delivers into its rated load (Kind::None while the output is off).
  virtual Signal Output() const = 0;
  // A 50-ohm source is rated into a 50-ohm load: into an open (1 Mohm) scope input its voltage
  // doubles. A voltage source (the calibrator) delivers the same voltage either way.
  virtual bool FiftyOhmSource() const { return true; }
};

}  // namespace veridane::sim
