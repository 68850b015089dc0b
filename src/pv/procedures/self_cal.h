#pragma once
// The scope's own signal path compensation ("*CAL?"), from the P/V menu's Self Cal (SPC) entry
// and as the first step of a Full Sequence. A failed calibration stops the sequence; a passed
// one lets the offset test within the sequence skip its "Disconnect all input signals." prompt.
#include <cstdint>
#include <string_view>

#include "pv/procedures/pv_context.h"

namespace veridane {

// The self calibration's row in the catalogue: it runs first in the Full Sequence and has no
// status entry.
inline constexpr int16_t kSelfCalEntry = 0;

// Outcomes of a self calibration (also kept in RunState::SelfCalResult).
enum : int16_t {
  kSelfCalNotPerformed = -1,
  kSelfCalPassed = 0,
  kSelfCalFailed = 1,  // the scope's failure answer; also a calibration that never answered
                       // (any other value than these is a failure as well)
};

// minutes: the expected duration. A positive number asks first and names the duration; a
// negative one does not ask but shows the duration (the text without its minus sign); a
// zero-valued text asks without a duration; an empty text neither asks nor shows one.
// Returns the outcome, which it also keeps in the run state (SelfCalResult, SelfCalDone; a
// failure within a Full Sequence ends it); a declined or cancelled calibration raises the stop.
int16_t SelfCal(ScopeLink& scope, ScannerDriver& scanners, Operator& op, RunState& state, TestRun& test, StopToken stop,
                std::string_view minutes);

// The SPC menu entry: a fresh stop, then the calibration announced as taking 4 minutes.
void SelfCalMenu(ScopeLink& scope, ScannerDriver& scanners, Operator& op, RunState& state, TestRun& test);

}  // namespace veridane
