#include "pv/frame/status_list.h"

#include <array>
#include <vector>

namespace veridane {

namespace {
constexpr size_t kNameWidth = 34;
constexpr int kPassCounter = 0;
constexpr int kFailCounter = 1;
constexpr int kNotRunCounter = 2;
}  // namespace

std::string StatusLine(std::string_view name, TestOutcome status) {
  std::string line = name.size() > kNameWidth ? std::string(name.substr(name.size() - kNameWidth))
                                              : std::string(kNameWidth - name.size(), ' ') + std::string(name);
  line += " - ";
  line += HasResult(status) ? OutcomeWord(status) : "N/A";
  return line;
}

TestOutcome SelfCalStatus(const RunState& state) {
  if (state.SelfCalResult == kSelfCalNotDone) return TestOutcome::NotRun;
  return state.SelfCalResult == 0 ? TestOutcome::Passed : TestOutcome::Failed;
}

void TestStatusUpdate(const RunState& state, MainView& view) {
  std::array<int, 3> counts{};
  std::vector<std::string> lines;
  for (int n = 1; n <= state.NumberOfTests; ++n) {
    const TestOutcome status = state.TestStatus[static_cast<size_t>(n)];
    ++counts[status == TestOutcome::Failed ? kFailCounter : status == TestOutcome::Passed ? kPassCounter : kNotRunCounter];
    lines.push_back(StatusLine(state.TestName(n), status));
  }
  // Self Cal has no TestStatus entry and no counter, but a technician reading the list wants
  // to know whether the scope was calibrated before its tests: its last result closes the list.
  lines.push_back(StatusLine(kSelfCalStatusName, SelfCalStatus(state)));
  view.SetStatusLines(lines);
  for (int i = 0; i < 3; ++i)
    view.SetCounter(i, std::to_string(counts[static_cast<size_t>(i)]), i == kFailCounter && counts[kFailCounter] > 0);
}

}  // namespace veridane
