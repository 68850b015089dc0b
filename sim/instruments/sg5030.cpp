#include "sim/instruments/command_text.h"
#include "sim/instruments/generator_languages.h"

namespace veridane::sim {

void Sg5030::Preset() {
  LevelledGenerator::Preset();
  reference_ = false;
}

void Sg5030::Execute(std::string_view message) {
  for (const std::string& text : SplitCommands(message)) {
    Command command = ParseCommand(text);
    const std::string& h = command.header;
    if (h == "ID?") {
      Reply(Model().idReply);
    } else if (h == "INIT") {
      Preset();
    } else if (h == "AMPL?" || h == "AMPLITUDE?") {
      Reply("AMPL " + AnswerNumber(LevelVpp()));
    } else if (h == "FRE?" || h == "FREQ?" || h == "FREQUENCY?") {
      Reply("FREQ " + AnswerNumber(FrequencyHz()));
    } else if (h == "OUT?" || h == "OUTPUT?") {
      Reply(OutputOn() ? "OUT ON" : "OUT OFF");
    } else if (HeaderIs(h, "AMPLITUDE", 4)) {
      std::optional<Quantity> q = ParseQuantity(command.args);
      double scale = !q ? 0 : q->unit.empty() || q->unit == "V" ? 1 : q->unit == "MV" ? 1e-3 : 0;
      if (scale == 0) {
        CommandError("bad amplitude: " + text);
        return;
      }
      if (!SetLevelChecked(q->value * scale)) return;
    } else if (HeaderIs(h, "FREQUENCY", 3)) {
      std::optional<Quantity> q = ParseQuantity(command.args);
      double scale = !q ? 0
                     : q->unit.empty() || q->unit == "HZ" ? 1
                     : q->unit == "KHZ"                   ? 1e3
                     : q->unit == "MHZ"                   ? 1e6
                                                          : 0;
      if (scale == 0) {
        CommandError("bad frequency: " + text);
        return;
      }
      if (!SetFrequencyChecked(q->value * scale)) return;
    } else if (HeaderIs(h, "OUTPUT", 3)) {
      std::optional<bool> on = ParseOnOff(command.args);
      if (!on) {
        CommandError("bad output state: " + text);
        return;
      }
      SetOutput(*on);
    } else if (h == "REFREQ") {
      std::optional<bool> on = ParseOnOff(command.args);
      if (!on) {
        CommandError("bad reference state: " + text);
        return;
      }
      reference_ = *on;
    } else {
      CommandError("unknown command: " + text);
      return;
    }
  }
}

}  // namespace veridane::sim
