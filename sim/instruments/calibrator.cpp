#include "sim/instruments/calibrator.h"

#include <cmath>
#include <utility>
#include <vector>

#include "platform/text8.h"
#include "sim/instruments/command_text.h"
#include "sim/instruments/levelled_generator.h"

namespace veridane::sim {

Fluke5100::Fluke5100(std::string name) : InstrumentDevice(std::move(name), "\r\n") {}

double Fluke5100::VoltageRange(double volts) {
  double magnitude = std::fabs(volts);
  for (double range : {2.0, 20.0, 200.0}) {
    if (magnitude <= range) return range;
  }
  return kMaxVolts;
}

bool Fluke5100::SetDcVolts(double volts) {
  if (!(std::fabs(volts) <= kMaxVolts)) return false;
  function_ = Function::Volts;
  value_ = volts;
  error_ = errors_.Draw(volts);
  frequencyHz_ = 0;
  operate_ = true;
  return true;
}

Signal Fluke5100::Output() const {
  Signal signal;
  if (!operate_) return signal;
  if (function_ != Function::Volts) {
    // Current and resistance put no voltage of their own on a 1 Mohm input.
    signal.kind = Signal::Kind::Dc;
    return signal;
  }
  if (frequencyHz_ > 0) {
    signal.kind = Signal::Kind::Sine;
    signal.vpp = VppFromRms(value_ + error_);
    signal.frequencyHz = frequencyHz_;
  } else {
    signal.kind = Signal::Kind::Dc;
    signal.dcVolts = value_ + error_;
  }
  return signal;
}

void Fluke5100::Execute(std::string_view message) {
  std::string upper = Trim(UpperCase(message));
  if (!upper.empty() && upper.back() == '?') {
    Reply("0.");
    return;
  }
  std::string_view text(upper);
  std::optional<double> pending;
  std::optional<double> value;
  std::optional<Function> function;
  double frequency = 0;
  bool negate = false;
  std::optional<bool> fourWire;
  std::vector<bool> stateCodes;  // true operate, false standby

  auto fail = [this, &message](const std::string& what) { CommandError(what + ": " + std::string(message)); };
  while (!text.empty()) {
    char c = text.front();
    if (c == ' ' || c == ',') {
      text.remove_prefix(1);
      continue;
    }
    bool signStartsNumber = (c == '-' || c == '+') && text.size() > 1 &&
                            (std::isdigit(static_cast<unsigned char>(text[1])) || text[1] == '.');
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '.' || (signStartsNumber && !pending && !function)) {
      pending = TakeNumber(text);
      if (!pending) return fail("bad number");
      continue;
    }
    text.remove_prefix(1);
    if (c == 'V' || c == 'A' || c == 'Z') {
      if (!pending || function) return fail("entry without value");
      value = pending;
      pending.reset();
      function = c == 'V' ? Function::Volts : c == 'A' ? Function::Amperes : Function::Ohms;
    } else if (c == 'H') {
      if (!pending || !function) return fail("frequency without entry");
      frequency = *pending;
      pending.reset();
    } else if (c == 'X' || c == 'R') {
      if (text.empty() || (text.front() != '0' && text.front() != '1')) return fail("bad wire code");
      if (c == 'X') fourWire = text.front() == '1';
      text.remove_prefix(1);
    } else if (c == '+' || c == '-') {
      if (!function) return fail("polarity without entry");
      negate = c == '-';
    } else if (c == 'N') {
      stateCodes.push_back(true);
    } else if (c == 'S' || c == 'C') {
      stateCodes.push_back(false);
    } else {
      return fail(std::string("unknown code ") + c);
    }
  }
  if (pending) return fail("value without function");

  if (function) {
    double v = negate ? -std::fabs(*value) : *value;
    bool ok = true;
    switch (*function) {
      case Function::Volts:
        ok = frequency > 0 ? v >= 0 && v <= kMaxVolts && frequency >= 10 && frequency <= 50e3
                           : std::fabs(v) <= kMaxVolts && frequency == 0;
        break;
      case Function::Amperes:
        ok = frequency > 0 ? v >= 0 && v <= kMaxAmperes && frequency >= 10 && frequency <= 5e3
                           : std::fabs(v) <= kMaxAmperes && frequency == 0;
        break;
      case Function::Ohms:
        ok = v >= 0 && v <= kMaxOhms && frequency == 0;
        break;
    }
    if (!ok) return fail("entry out of range");
    bool rangeUp = *function == Function::Volts &&
                   (function_ != Function::Volts || VoltageRange(v) > VoltageRange(value_));
    if (rangeUp && std::fabs(v) > kHazardVolts) operate_ = false;
    function_ = *function;
    value_ = v;
    error_ = errors_.Draw(v);
    frequencyHz_ = frequency;
    if (fourWire) fourWire_ = *fourWire;
  }
  for (bool operate : stateCodes) operate_ = operate;
}

}  // namespace veridane::sim
