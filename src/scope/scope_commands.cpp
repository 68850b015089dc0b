#include "scope/scope_commands.h"

#include "gpib/bus/gpib_bus.h"

namespace veridane {

void MeasureOnCH2(GpibBus& bus, int16_t scope) {
  bus.GpibWrite(scope, "SEL:CH2 ON");
  bus.GpibWrite(scope, "MEASU:MEAS1:SOU CH2;STATE ON");
}

}  // namespace veridane
