#include "instruments/calibrator.h"

#include "instruments/prompt_value.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/numbers.h"
#include "platform/operator.h"
#include "platform/text8.h"
#include "report/format.h"

namespace veridane {

namespace {

enum class Wiring { None, TwoWire, FourWire };

}  // namespace

Calibrator::Calibrator(GpibBus& bus, Operator& op, const InstrumentRoles& roles, const Automation& autoMode)
    : bus_(bus), op_(op), roles_(roles), autoMode_(autoMode) {}

Setting Calibrator::SetCalibrator(float value, std::string_view function, float frequency) {
  std::string f = Trim(function);
  bool standby = false;
  if (!f.empty() && f.front() == '*') {
    standby = true;
    f.erase(0, 1);
  }
  bool okOnly = false;
  if (!f.empty() && std::string_view("var").find(f) != std::string_view::npos) {
    okOnly = true;
    f = UpperCase(f);
  }

  Wiring wiring = Wiring::None;
  if (!f.empty()) {
    auto p = std::string_view(" 2V 2R 4V 4R").find(" " + UpperCase(f));
    if (p != std::string_view::npos) wiring = p >= 6 ? Wiring::FourWire : Wiring::TwoWire;
  }

  std::string letter = f.empty() ? std::string() : f.substr(f.size() - 1);
  if (letter.empty() || std::string_view("VAR").find(letter) == std::string_view::npos) {
    op_.ShowMessBox("Function: " + letter + "\n\nCorrect problem and restart.", kCritical,
                    "SetCalibrator Unknown Function");
    op_.EndProgram();
  }

  bool valid = letter == "R" ? frequency <= 0 && value >= 0 : frequency <= 0 || value >= 0;
  if (!valid) {
    op_.ShowMessBox(PlainText(value) + ", " + letter + "," + PlainText(frequency) + "\n\nCorrect problem and restart.",
                    kCritical, "SetCalibrator Parameter mismatch");
    op_.EndProgram();
  }
  if (letter == "R") letter = "Z";

  if (roles_.CalibratorDevice != 0) {
    std::string code = letter;
    if (wiring == Wiring::FourWire) code += letter == "V" ? "X1R1" : "X1";
    if (wiring == Wiring::TwoWire) code += letter == "V" ? "X0R0" : "X0";
    std::string command = Trim(PlainText(value)) + code;
    if (frequency != 0) {
      command += Trim(PlainText(frequency)) + "H";
    } else if (value >= 0) {
      command += "+";
    }
    if (standby) command += "CC";
    command += ",N";
    bus_.GpibWrite(roles_.CalibratorDevice, command);
    bus_.Wait(std::chrono::seconds(1));
    bus_.ibloc(roles_.CalibratorDevice);
    return Setting::Made;
  }

  std::string suffix;
  if (letter != "Z") {
    if (frequency == 0) {
      suffix = ", DC";
    } else {
      suffix = ", " + Trim(FormatWithPoint(frequency, "Hz", 0));
    }
  }
  std::string unit = letter == "Z" ? "Ohm" : letter;
  std::string text = Trim(FormatValue(value, unit, 0)) + suffix;
  const BoxStyle style = okOnly ? BoxStyle(kExclamation) : kOkCancel + kExclamation;
  const BoxAnswer answer = op_.ShowMessBox(text, style, "Set the " + roles_.CalibratorName);
  return answer == kCancel ? Setting::Cancelled : Setting::Made;
}

void Calibrator::CalibratorReset() {
  if (roles_.CalibratorDevice == 0) {
    SetCalibrator(0, "v", 0);
    return;
  }
  bus_.GpibWrite(roles_.CalibratorDevice, "CC");
  bus_.ibloc(roles_.CalibratorDevice);
  if (IsAuto(autoMode_)) bus_.Wait(std::chrono::seconds(1));
}

}  // namespace veridane
