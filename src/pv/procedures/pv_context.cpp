#include "pv/procedures/pv_context.h"

#include "platform/numbers.h"
#include "pv/procedures/analog_bandwidth.h"
#include "pv/procedures/dc_voltage.h"
#include "pv/procedures/offset_at_zero.h"
#include "pv/procedures/self_cal.h"

namespace veridane {

void ScopeWrite(PvContext& pv, std::string_view command) { pv.bus.GpibWrite(pv.scope.ScopeDevice, command); }

double ReadMeasurement(PvContext& pv) {
  return NumericValue(pv.bus.GpibQuery(pv.scope.ScopeDevice, "MEASU:MEAS1:VAL?"));
}

void RegisterPvTests(PvContext& pv) {
  FrameHooks& hooks = pv.frame.Hooks();
  hooks.Tests[kTestOffsetZero] = [&pv] { OffsetZero(pv); };
  hooks.Tests[kTestGain] = [&pv] { Gain(pv); };
  hooks.Tests[kTestBandwidth] = [&pv] { Bandwidth(pv); };
  hooks.SelfCal = [&pv] { SelfCalMenu(pv); };
}

}  // namespace veridane
