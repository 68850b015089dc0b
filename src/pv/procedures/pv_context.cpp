#include "pv/procedures/pv_context.h"

namespace veridane {

void ScopeWrite(ScopeLink& scope, std::string_view command) { scope.bus.GpibWrite(scope.Device(), command); }

void ScopeSetUp(ScopeLink& scope, std::initializer_list<std::string_view> commands) {
  for (std::string_view command : commands) ScopeWrite(scope, command);
  scope.control.WaitOPC(DriverTimeout::TenSeconds);
}

Measurement ReadMeasurement(ScopeLink& scope, const TestRun& test) {
  return ReadMeasurement(scope.bus, scope.Device(), test.state.Repeats);
}

std::vector<StepReadings> ReadingsOf(const Measurement& measurement) {
  if (!measurement.value) return {};
  return {StepReadings{measurement.replies}};
}

}  // namespace veridane
