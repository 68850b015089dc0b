#include <cctype>

#include "platform/text8.h"
#include "sim/instruments/command_text.h"
#include "sim/instruments/generator_languages.h"

namespace veridane::sim {
namespace {

struct Unit {
  const char* text;
  double scale;  // to volts RMS or hertz; 0 marks dBm
};

// Longest first, so that "MHZ" is not read as "MZ"... and codes may follow without separator.
constexpr Unit kLevelUnits[] = {{"DBM", 0}, {"DB", 0}, {"MV", 1e-3}, {"UV", 1e-6}, {"V", 1}};
constexpr Unit kFrequencyUnits[] = {{"GHZ", 1e9}, {"MHZ", 1e6}, {"KHZ", 1e3}, {"HZ", 1},
                                    {"GZ", 1e9},  {"MZ", 1e6},  {"KZ", 1e3}};

template <size_t N>
const Unit* TakeUnit(std::string_view& text, const Unit (&units)[N]) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  for (const Unit& unit : units) {
    std::string_view u(unit.text);
    if (text.substr(0, u.size()) == u) {
      text.remove_prefix(u.size());
      return &unit;
    }
  }
  return nullptr;
}

}  // namespace

void Fluke606x::Execute(std::string_view message) {
  std::string upper = UpperCase(message);
  std::string_view text(upper);
  while (true) {
    while (!text.empty() && (text.front() == ' ' || text.front() == ';' || text.front() == ',')) text.remove_prefix(1);
    if (text.empty()) return;
    if (text.size() < 2 || !std::isalpha(static_cast<unsigned char>(text[0])) ||
        !std::isalpha(static_cast<unsigned char>(text[1]))) {
      CommandError("syntax error at: " + std::string(text));
      return;
    }
    std::string code(text.substr(0, 2));
    text.remove_prefix(2);
    if (!text.empty() && text.front() == '?') {
      while (!text.empty() && text.front() == '?') text.remove_prefix(1);
      if (code == "ID") {
        Reply(Model().idReply);
      } else if (code == "AP") {
        Reply(AnswerNumber(RmsFromVpp(LevelVpp())) + "V");
      } else if (code == "FR") {
        Reply(AnswerNumber(FrequencyHz()) + "HZ");
      } else {
        CommandError("unknown query: " + code);
        return;
      }
      continue;
    }
    if (code == "CL") {
      Preset();
    } else if (code == "RO") {
      if (text.empty() || (text.front() != '0' && text.front() != '1')) {
        CommandError("bad output state");
        return;
      }
      SetOutput(text.front() == '1');
      text.remove_prefix(1);
    } else if (code == "AP" || code == "FR") {
      std::optional<double> value = TakeNumber(text);
      const Unit* unit = !value ? nullptr : code == "AP" ? TakeUnit(text, kLevelUnits) : TakeUnit(text, kFrequencyUnits);
      if (!unit) {
        CommandError("bad value for " + code);
        return;
      }
      if (code == "FR") {
        if (!SetFrequencyChecked(*value * unit->scale)) return;
      } else {
        double rms = unit->scale == 0 ? RmsFromDbm(*value) : *value * unit->scale;
        if (!SetLevelChecked(VppFromRms(rms))) return;
      }
    } else {
      CommandError("unknown code: " + code);
      return;
    }
  }
}

}  // namespace veridane::sim
