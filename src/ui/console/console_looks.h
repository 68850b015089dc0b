#pragma once
// What a run without a display adds when a person watches it on a terminal: FAIL rows in red
// and marginal passes in yellow on standard output, and the running test's progress on the
// error stream. Redirected to a file or a pipe, both streams stay exactly as they were.
#include <optional>
#include <string>
#include <string_view>

#include "report/step_result.h"

namespace veridane {

struct ConsoleLooks {
  bool colourRows = false;  // standard output is a terminal and NO_COLOR is not set
  bool progress = false;    // standard error is a terminal
};

// noColor: the NO_COLOR environment value, nullptr when unset.
ConsoleLooks ChooseConsoleLooks(bool outIsTerminal, bool errIsTerminal, const char* noColor);
// The same for this process's own streams and environment.
ConsoleLooks ConsoleLooksOfThisProcess();

// The row with the colour of its verdict around it (the text itself unchanged); a row that
// failed nothing and passed with margin, or has no verdict, comes back as it is.
std::string ColouredRow(std::string_view row, std::optional<Verdict> verdict);

}  // namespace veridane
