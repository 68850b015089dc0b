#pragma once
// The prompt of a running test: the technician's Cancel or No asks the test to stop.
#include <cstdint>
#include <string_view>

#include "platform/operator.h"
#include "pv/frame/run_state.h"

namespace veridane {

// Shows text with the given button style plus the information icon, captioned with the
// running test's name; Cancel or No sets state.AbortFlag, any other answer leaves it alone.
void TestPrompt(std::string_view text, BoxStyle style, Operator& op, RunState& state);

}  // namespace veridane
