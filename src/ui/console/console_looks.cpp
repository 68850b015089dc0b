#include "ui/console/console_looks.h"

#include <unistd.h>

#include <cstdlib>

#include "report/step_result.h"

namespace veridane {

ConsoleLooks ChooseConsoleLooks(bool outIsTerminal, bool errIsTerminal, const char* noColor) {
  ConsoleLooks looks;
  looks.colourRows = outIsTerminal && noColor == nullptr;
  looks.progress = errIsTerminal;
  return looks;
}

ConsoleLooks ConsoleLooksOfThisProcess() {
  return ChooseConsoleLooks(isatty(STDOUT_FILENO) == 1, isatty(STDERR_FILENO) == 1, std::getenv("NO_COLOR"));
}

std::string ColouredRow(std::string_view row, std::optional<Verdict> verdict) {
  if (!verdict || *verdict == Verdict::Pass) return std::string(row);
  if (*verdict == Verdict::Marginal) return "\x1b[33m" + std::string(row) + "\x1b[0m";
  return "\x1b[1;31m" + std::string(row) + "\x1b[0m";
}

}  // namespace veridane
