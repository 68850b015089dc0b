#include "scope/scope_identity.h"

#include "gpib/bus/gpib_bus.h"
#include "platform/numbers.h"
#include "platform/operator.h"
#include "platform/text8.h"

namespace veridane {

int16_t ModelCodeFor(std::string_view modelNumber) {
  if (modelNumber == "310") return 1;
  if (modelNumber == "320") return 2;
  if (modelNumber == "340" || modelNumber == "340A") return 4;
  if (modelNumber == "350") return 5;
  if (modelNumber == "360") return 6;
  if (modelNumber == "380") return 8;
  return 0;
}

std::string FirmwareFromId(std::string_view reply) {
  auto p = reply.find("FV");
  if (p == std::string_view::npos || p + 4 > reply.size()) return {};
  return std::string(reply.substr(p + 4, 5));
}

std::string ChannelName(int16_t channel) {
  switch (channel) {
    case 1:
    case 2:
      return "CH" + PlainText(static_cast<int>(channel));
    case 3:
      return "EXT";
    case 4:
      return "EXT/10";
    default:
      return {};
  }
}

ScopeControl::ScopeControl(GpibBus& bus, Operator& op, ScopeIdentity& scope) : bus_(bus), op_(op), scope_(scope) {}

void ScopeControl::IdentifyScope() {
  std::string reply = bus_.GpibQuery(scope_.ScopeDevice, "ID?");
  auto p = reply.find("TDS");
  auto q = p == std::string::npos ? std::string::npos : reply.find(',', p);
  std::string model;
  int16_t code = 0;
  if (q != std::string::npos) {
    model = reply.substr(p, q - p);
    code = model.size() > 4 ? ModelCodeFor(std::string_view(model).substr(4)) : 0;
  } else {
    // Without "TDS ...," the model cannot be read; name what the scope said instead.
    model = Trim(p == std::string::npos ? reply : reply.substr(p));
    if (model.empty()) model = "This scope";
  }
  if (code == 0) {
    op_.ShowMessBox(model + " is currently NOT supported.", kCritical, "TDS");
    op_.EndProgram();
  }
  scope_.ScopeModel = model;
  scope_.ScopeModelCode = code;
  scope_.LogFolderName = "LOG" + model.substr(4);
}

void ScopeControl::ReadFirmware() {
  scope_.ScopeFirmware = FirmwareFromId(bus_.GpibQuery(scope_.ScopeDevice, "ID?"));
}

void ScopeControl::InitScope() {
  Operator& op = op_;
  op.ShowInfo("Initializing " + scope_.ScopeModel + ".");
  op.ShowInfo("+Please Wait ...");
  for (const char* command : {"FAC", "DESE 65", "*ESE 65", "*SRE 32"}) bus_.GpibWrite(scope_.ScopeDevice, command);
  WaitOPC(DriverTimeout::HundredSeconds);  // the factory initialisation takes long
  bus_.GpibWrite(scope_.ScopeDevice, "HEAD 0");
  bus_.GpibWrite(scope_.ScopeDevice, "CH1:COUP GND");
  bus_.Wait(std::chrono::seconds(2));
  op.ShowInfo("");
}

void ScopeControl::ScopeReset() {
  Operator& op = op_;
  op.SetBusy(true);
  bus_.GpibWrite(scope_.ScopeDevice, "*RST");
  WaitOPC(DriverTimeout::TenSeconds);
  op.SetBusy(false);
  bus_.GpibWrite(scope_.ScopeDevice, "*CLS");
  bus_.GpibWrite(scope_.ScopeDevice, "CLEARM");
}

void ScopeControl::WaitOPC(DriverTimeout timeout) {
  if (scope_.ScopeDevice == 0) bus_.DeviceNotConfigured();
  const DriverTimeout previous = bus_.CurrentTimeout(scope_.ScopeDevice);
  bus_.ibtmo(scope_.ScopeDevice, timeout);
  bus_.GpibWrite(scope_.ScopeDevice, "*OPC?");
  // The answer ("1" and its line end) only tells that the scope is done; it is not examined.
  std::string answer(5, ' ');
  bus_.ibrd(scope_.ScopeDevice, answer);
  bus_.GpibErrorCheck();
  bus_.ibtmo(scope_.ScopeDevice, previous);
}

}  // namespace veridane
