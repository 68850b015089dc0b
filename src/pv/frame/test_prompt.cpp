#include "pv/frame/test_prompt.h"

namespace veridane {

void TestPrompt(std::string_view text, BoxStyle style, Operator& op, RunState& state) {
  int16_t answer = op.ShowMessBox(text, style + kInformation, state.CurrentTestName());
  if (answer == kCancel || answer == kNo) state.AbortFlag = true;
}

}  // namespace veridane
