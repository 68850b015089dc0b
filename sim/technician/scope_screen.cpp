#include "sim/technician/scope_screen.h"

#include <string>

#include "platform/numbers.h"
#include "platform/text8.h"

namespace veridane::sim {

namespace {

// The reply's value without any header ("MEASUREMENT:MEAS1:TYPE FREQUENCY" gives FREQUENCY).
std::string Ask(SimScope& scope, std::string_view query) {
  scope.Receive(query);
  std::optional<std::string> reply = scope.Respond();
  if (!reply) return {};
  std::string text = Trim(*reply);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  size_t blank = text.rfind(' ');
  return blank == std::string::npos ? text : text.substr(blank + 1);
}

}  // namespace

std::optional<double> ShownMeasurement(SimScope& scope, std::string_view type, int channel) {
  // Looking at the screen must not take the scope out of local control.
  bool wasRemote = scope.Remote();
  std::optional<double> shown;
  std::string state = UpperCase(Ask(scope, "MEASU:MEAS1:STATE?"));
  std::string shownType = UpperCase(Ask(scope, "MEASU:MEAS1:TYP?"));
  std::string source = UpperCase(Ask(scope, "MEASU:MEAS1:SOU?"));
  bool on = state == "ON" || NumericValue(state) != 0;
  if (on && shownType.rfind(UpperCase(type), 0) == 0 && source == "CH" + std::to_string(channel)) {
    double value = NumericValue(Ask(scope, "MEASU:MEAS1:VAL?"));
    // 9.9E37 is the scope's "cannot measure"; a level or rate of 0 is no reading either.
    if (value > 0 && value < 1e15) shown = value;
  }
  if (!wasRemote) scope.GoToLocal();
  return shown;
}

}  // namespace veridane::sim
