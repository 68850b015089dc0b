// Driver errors as the technician sees them: one OK/Cancel box per error, OK carries on.
#include "gpib/bus/gpib_bus.h"
#include "platform/numbers.h"

namespace veridane {

GpibBus::GpibBus(Gpib488& driver, Operator& op, EventLoop& loop) : GpibDriver(driver), op_(op), loop_(loop) {}

void GpibBus::GpibErrorCheck() {
  if (!status.Err()) return;
  std::string text = GpibErrorText(status.iberr) + "\nSelect OK to continue or Cancel to terminate program.";
  BoxAnswer answer = op_.ShowMessBox(text, kOkCancel + kExclamation, "GPIB ERROR #" + PlainText(int{status.iberr}));
  if (answer == kCancel) op_.EndProgram();
  GpibWriteFailed = true;
}

void GpibBus::DeviceNotConfigured() {
  op_.ShowMessBox("Device not configured.\n\nCorrect problem and restart.", kCritical, "Device Error");
  op_.EndProgram();
  // Callers go on with handle 0 if this ever returned; an operator that fails to end the
  // program must not let that happen.
  throw ProgramEnded();
}

}  // namespace veridane
