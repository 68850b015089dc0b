#include "sim/instruments/attenuator.h"

#include <utility>

#include "sim/instruments/command_text.h"

namespace veridane::sim {

At5010::At5010(std::string idReply) : InstrumentDevice("AT 5010", "\r\n"), idReply_(std::move(idReply)) {}

bool At5010::SetRatio(double ratio) {
  if (!(ratio >= kMinRatio && ratio <= kMaxRatio)) return false;
  ratio_ = ratio;
  return true;
}

Signal At5010::Pass(Signal in) const {
  in.dcVolts /= ratio_;
  in.vpp /= ratio_;
  in.markerVolts /= ratio_;
  return in;
}

void At5010::Execute(std::string_view message) {
  for (const std::string& text : SplitCommands(message)) {
    Command command = ParseCommand(text);
    if (command.header == "ID?") {
      Reply(idReply_);
    } else if (command.header == "INIT") {
      ratio_ = 1;
    } else if (command.header == "ATT?") {
      Reply("ATT " + AnswerNumber(ratio_));
    } else if (command.header == "ATT") {
      std::optional<Quantity> q = ParseQuantity(command.args);
      if (!q || !q->unit.empty()) {
        CommandError("bad ratio: " + text);
        return;
      }
      if (!SetRatio(q->value)) {
        CommandError("ratio out of range: " + text);
        return;
      }
    } else {
      CommandError("unknown command: " + text);
      return;
    }
  }
}

}  // namespace veridane::sim
