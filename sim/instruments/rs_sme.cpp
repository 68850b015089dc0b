#include <cmath>

#include "sim/instruments/command_text.h"
#include "sim/instruments/generator_languages.h"

namespace veridane::sim {
namespace {

// Drops an optional leading ":" and the optional SOURce node, and the short/long forms of the
// optional nodes the SME accepts after POW and FREQ.
std::string Canonical(std::string header) {
  if (!header.empty() && header.front() == ':') header.erase(0, 1);
  for (const char* prefix : {"SOURCE:", "SOUR:"}) {
    if (header.rfind(prefix, 0) == 0) header.erase(0, std::string(prefix).size());
  }
  auto replaceHead = [&header](const char* longForm, const char* shortForm) {
    if (header.rfind(longForm, 0) == 0) header.replace(0, std::string(longForm).size(), shortForm);
  };
  replaceHead("POWER", "POW");
  replaceHead("FREQUENCY", "FREQ");
  replaceHead("OUTPUT", "OUTP");
  replaceHead("SYSTEM:ERROR", "SYST:ERR");
  for (const char* node : {":LEVEL:IMMEDIATE:AMPLITUDE", ":LEV:IMM:AMPL", ":LEVEL", ":LEV", ":CW", ":FIXED", ":FIX",
                           ":STATE", ":STAT", ":NEXT"}) {
    std::string n(node);
    std::string::size_type at = header.find(n);
    if (at != std::string::npos && (at + n.size() == header.size() || header[at + n.size()] == '?')) {
      header.erase(at, n.size());
    }
  }
  return header;
}

}  // namespace

void RsSme::Preset() {
  LevelledGenerator::Preset();
  unit_ = PowerUnit::Dbm;
  SetFrequency(100e6);
  SetLevelVpp(VppFromRms(RmsFromDbm(-30)));
}

void RsSme::Error(int code, const std::string& text) {
  CommandError(text);
  if (errors_.size() < 10) errors_.push_back(std::to_string(code) + ",\"" + text + "\"");
}

void RsSme::Execute(std::string_view message) {
  for (const std::string& text : SplitCommands(message)) {
    Command command = ParseCommand(text);
    std::string h = Canonical(command.header);
    bool query = !h.empty() && h.back() == '?';
    if (h == "*IDN?") {
      Reply(Model().idReply);
    } else if (h == "*RST") {
      Preset();
    } else if (h == "*CLS") {
      errors_.clear();
    } else if (h == "*OPC?") {
      Reply("1");
    } else if (h == "*OPC" || h == "*WAI") {
    } else if (h == "SYST:ERR?") {
      if (errors_.empty()) {
        Reply("0,\"No error\"");
      } else {
        Reply(errors_.front());
        errors_.pop_front();
      }
    } else if (h == "UNIT:POW") {
      std::string unit = ParseCommand(command.args).header;
      if (unit == "V") {
        unit_ = PowerUnit::Volt;
      } else if (unit == "DBM") {
        unit_ = PowerUnit::Dbm;
      } else if (unit == "DBUV") {
        unit_ = PowerUnit::DbMicrovolt;
      } else {
        Error(-224, "Illegal parameter value");
        return;
      }
    } else if (h == "POW?") {
      double rms = RmsFromVpp(LevelVpp());
      Reply(AnswerNumber(unit_ == PowerUnit::Volt  ? rms
                         : unit_ == PowerUnit::Dbm ? DbmFromRms(rms)
                                                   : 20.0 * std::log10(rms / 1e-6)));
    } else if (h == "FREQ?") {
      Reply(AnswerNumber(FrequencyHz()));
    } else if (h == "OUTP?") {
      Reply(OutputOn() ? "1" : "0");
    } else if (query) {
      Error(-113, "Undefined header");
      return;
    } else if (h == "POW") {
      std::optional<Quantity> q = ParseQuantity(command.args);
      if (!q) {
        Error(-104, "Data type error");
        return;
      }
      std::string unit = q->unit;
      if (unit.empty()) unit = unit_ == PowerUnit::Volt ? "V" : unit_ == PowerUnit::Dbm ? "DBM" : "DBUV";
      double rms = unit == "V" ? q->value
                   : unit == "MV" ? q->value * 1e-3
                   : unit == "UV" ? q->value * 1e-6
                   : unit == "DBM" ? RmsFromDbm(q->value)
                   : unit == "DBUV" ? 1e-6 * std::pow(10.0, q->value / 20.0)
                                    : -1;
      if (rms < 0) {
        Error(-131, "Invalid suffix");
        return;
      }
      if (!SetLevelVpp(VppFromRms(rms))) {
        Error(-222, "Data out of range");
        return;
      }
    } else if (h == "FREQ") {
      std::optional<Quantity> q = ParseQuantity(command.args);
      double scale = !q ? 0
                     : q->unit.empty() || q->unit == "HZ" ? 1
                     : q->unit == "KHZ"                   ? 1e3
                     : q->unit == "MHZ"                   ? 1e6
                     : q->unit == "GHZ"                   ? 1e9
                                                          : 0;
      if (scale == 0) {
        Error(-131, "Invalid suffix");
        return;
      }
      if (!SetFrequency(q->value * scale)) {
        Error(-222, "Data out of range");
        return;
      }
    } else if (h == "OUTP") {
      std::optional<bool> on = ParseOnOff(command.args);
      if (!on) {
        Error(-224, "Illegal parameter value");
        return;
      }
      SetOutput(*on);
    } else {
      Error(-113, "Undefined header");
      return;
    }
  }
}

}  // namespace veridane::sim
