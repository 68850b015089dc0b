#include "pv/procedures/pv_context.h"

#include "platform/numbers.h"
#include "pv/catalogue.h"

namespace veridane {

void ScopeWrite(PvContext& pv, std::string_view command) { pv.bus.GpibWrite(pv.scope.ScopeDevice, command); }

double ReadMeasurement(PvContext& pv) {
  return NumericValue(pv.bus.GpibQuery(pv.scope.ScopeDevice, "MEASU:MEAS1:VAL?"));
}

void RegisterPvTests(PvContext& pv) {
  FrameHooks& hooks = pv.frame.Hooks();
  GiveTitles(hooks);
  for (const CatalogueEntry& test : TestCatalogue())
    if (test.entry != nullptr) hooks.Tests[static_cast<size_t>(test.number)] = [&pv, entry = test.entry] { entry(pv); };
}

}  // namespace veridane
