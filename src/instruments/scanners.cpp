#include "instruments/scanners.h"

#include "gpib/bus/gpib_bus.h"
#include "platform/operator.h"
#include "platform/text8.h"

namespace veridane {

namespace {

// True when code is already an element of a list "A1,B3,".
bool Listed(const std::string& list, const std::string& code) {
  return ("," + list).find("," + code + ",") != std::string::npos;
}

}  // namespace

ScannerDriver::ScannerDriver(GpibBus& bus, Operator& op, const InstrumentRoles& roles) : bus_(bus), op_(op), roles_(roles) {}

void ScannerDriver::SetRoute(std::string_view route) {
  if (roles_.ScannerDevice1 == 0) return;
  if (route.empty()) {
    ScannerReset();
    return;
  }
  std::string rest = UpperCase(route);
  if (rest.back() != ',') rest += ',';
  const std::string config = ";" + roles_.ScannerConfig;
  std::string first;   // relay codes for the first scanner
  std::string second;  // relay codes for the second scanner, in its own group letters
  std::string name;

  auto unsupported = [&] {
    op_.ShowMessBox("SI 5020 Unsupported command: " + name, kCritical, "Command Error");
  };

  for (;;) {
    bool firstOnly = false;
    if (!rest.empty() && rest.front() == '-') {
      firstOnly = true;
      rest.erase(0, 1);
    }
    auto comma = rest.find(',');
    if (comma == std::string::npos) break;
    name = rest.substr(0, comma);
    rest.erase(0, comma + 1);

    auto entry = config.find(";" + name + ":");
    if (entry == std::string::npos) return unsupported();
    auto codesStart = entry + name.size() + 2;
    auto codesEnd = config.find(';', codesStart);
    std::string codes = config.substr(codesStart, codesEnd - codesStart);

    for (size_t i = 0; i < codes.size(); i += 2) {
      std::string code = codes.substr(i, 2);
      // A relay code is a group letter and a relay; anything else would close relays the
      // bench wiring never meant, so the entry is refused as a whole.
      if (code.size() != 2) return unsupported();
      char group = code[0];
      if (group == 'A' || group == 'B') {
        if (!Listed(first, code)) first += code + ",";
      } else if (group == 'C' || group == 'D') {
        std::string mapped = std::string(1, group == 'C' ? 'A' : 'B') + code[1];
        if (!Listed(second, mapped)) second += mapped + ",";
      } else {
        return unsupported();
      }
      if (firstOnly) break;
    }
  }

  if (!first.empty()) first = ";CLOSE " + first;
  if (!second.empty()) second = ";CLOSE " + second;
  bus_.GpibWrite(roles_.ScannerDevice1, "INIT" + first);
  // A lone SI 5010 has no configuration, so a route never gets here without the pair.
  if (roles_.ScannerDevice2 != 0) bus_.GpibWrite(roles_.ScannerDevice2, "INIT" + second);
  bus_.Wait(std::chrono::seconds(1));
}

void ScannerDriver::ScannerReset() {
  if (roles_.ScannerDevice1 == 0) return;
  bus_.GpibWrite(roles_.ScannerDevice1, "INIT");
  bus_.ibloc(roles_.ScannerDevice1);
  if (roles_.ScannerDevice2 != 0) {
    bus_.GpibWrite(roles_.ScannerDevice2, "INIT");
    bus_.ibloc(roles_.ScannerDevice2);
  }
}

void CGReset(GpibBus& bus, const InstrumentRoles& roles) {
  if (roles.TimeMarkDevice == 0) return;
  bus.GpibWrite(roles.TimeMarkDevice, "INIT");
  bus.ibloc(roles.TimeMarkDevice);
}

}  // namespace veridane
