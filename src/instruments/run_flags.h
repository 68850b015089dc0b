#pragma once
// The two run-state flags the instrument drivers read and write. They belong to the test
// frame's run state; the drivers only hold references so that they never depend on it.
#include <cstdint>

namespace veridane {

struct RunFlags {
  int16_t& AutoMode;   // 0 manual, -1 full Auto, 1 Auto without compensation data
  bool& AbortFlag;     // set by operator aborts; the running test stops at its next check
};

}  // namespace veridane
