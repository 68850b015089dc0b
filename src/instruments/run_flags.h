#pragma once
// The two run-state flags the instrument drivers read and write. They belong to the test
// frame's run state; the drivers only hold references so that they never depend on it.
#include <cstdint>

namespace veridane {

// How much of the bench the program drives itself. The coded form (0, -1, 1) is how the
// procedures' own text names them.
enum class Automation : int16_t {
  Manual = 0,                // the technician sets every instrument and connection
  Full = -1,                 // Auto, the generator compensated from its data file
  WithoutCompensation = 1,   // Auto, but the generator's compensation data could not be used
};

constexpr bool IsAuto(Automation mode) { return mode != Automation::Manual; }

struct RunFlags {
  Automation& AutoMode;
  bool& AbortFlag;     // set by operator aborts; the running test stops at its next check
};

}  // namespace veridane
