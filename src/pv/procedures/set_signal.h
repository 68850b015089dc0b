#pragma once
// The closed-loop signal setting: brings the sine wave at the scope's selected channel to a
// wanted frequency and peak-to-peak amplitude, with the scope under test as the meter. With a
// levelled generator on the bus it scales the generator's setting by wanted / measured; without
// one, or when asked to, it tells the technician which way to turn the knob and measures again.
// The scope's measurement and acquisition settings are left as they were found.
#include <cstdint>
#include <string>
#include <string_view>

#include "pv/procedures/pv_context.h"

namespace veridane {

// What the signal setting works with: the scope as the meter, the generator and whether it is on
// the bus, the technician at the knob, and the run's stop.
struct SignalParts {
  ScopeLink& scope;
  const InstrumentRoles& roles;
  SignalGenerator& generator;
  Operator& op;
  StopToken stop;
};

// The signs of the arguments are options:
//   device < 0  the handle is |device|; no warning for an amplitude error above 35 %
//   F           MHz; 0 (or FT 0) leaves the frequency alone; < 0: |F|, and with a generator on
//               the bus the frequency is not regulated
//   FT          %; < 0: |FT|, and the technician adjusts the signal by hand
//   A           V p-p; 0 (or AT 0) leaves the amplitude alone; < 0 with a generator: not regulated
//   AT          %; < 0: |AT|, and the technician adjusts by hand
// A Cancel raises the stop; a No to "continue" / "try again" raises it as a finding about the
// signal (StopToken::RaiseAnsweredNo), on which the test fails. The scope is restored first.
void SetSignal(SignalParts parts, int16_t device, float F, float FT, float A, float AT);

// A saved measurement setting without its units element (";UNI..." up to its next ';'), so
// that the reply can be sent back as a command.
std::string WithoutUnits(std::string_view reply);

}  // namespace veridane
