#include "pv/frame/result_row.h"

#include "report/format.h"

namespace veridane {

namespace {

// Fixed-width number texts pad inside ("1  V" has a blank where a prefix would be); a step's
// name is a key, so it gets single blanks only.
std::string SingleBlanks(std::string_view text) {
  std::string single;
  for (char c : text)
    if (c != ' ' || (!single.empty() && single.back() != ' ')) single += c;
  while (!single.empty() && single.back() == ' ') single.pop_back();
  return single;
}

}  // namespace

std::string ScaleStep(std::string_view channel, float voltsPerDivision) {
  return SingleBlanks(std::string(channel) + " " + FormatValue(voltsPerDivision, "V", 0) + "/div");
}

std::string DcStepName(std::string_view channel, float voltsPerDivision, float output, bool difference) {
  if (difference) return std::string(channel) + " difference";
  return SingleBlanks(ScaleStep(channel, voltsPerDivision) + " " + FormatValue(output, "V", 0));
}

}  // namespace veridane
