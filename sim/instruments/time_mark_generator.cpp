#include "sim/instruments/time_mark_generator.h"

#include <cmath>

#include "platform/text8.h"
#include "sim/instruments/command_text.h"

namespace veridane::sim {

Cg5011::Cg5011(std::string model, double ppmError)
    : InstrumentDevice(model, "\r\n"), ppmError_(ppmError) {
  std::string squeezed;
  for (char c : UpperCase(model)) {
    if (c != ' ') squeezed += c;
  }
  idReply_ = "ID TEK/" + squeezed + ",V81.1,F1.2";
}

bool Cg5011::SetMarkerPeriod(double seconds) {
  if (!(seconds >= 0.999e-9 && seconds <= 5.001)) return false;
  double decade = std::pow(10.0, std::floor(std::log10(seconds) + 1e-9));
  double mantissa = seconds / decade;
  for (double step : {1.0, 2.0, 5.0}) {
    if (std::fabs(mantissa - step) < 1e-6) {
      period_ = step * decade;
      error_ = errors_.Draw(period_);
      return true;
    }
  }
  return false;
}

void Cg5011::Init() {
  mode_ = Mode::Markers;
  period_ = 1e-3;
  error_ = errors_.Draw(period_);
}

Signal Cg5011::Output() const {
  Signal signal;
  if (mode_ != Mode::Markers) return signal;
  signal.kind = Signal::Kind::TimeMarks;
  signal.markerPeriodS = period_ * (1 + ppmError_ * 1e-6) + error_;
  signal.markerVolts = kMarkerVolts;
  return signal;
}

void Cg5011::Execute(std::string_view message) {
  for (const std::string& text : SplitCommands(message)) {
    Command command = ParseCommand(text);
    const std::string& h = command.header;
    if (h == "ID?") {
      Reply(idReply_);
    } else if (h == "INIT") {
      Init();
    } else if (h == "MODE?") {
      Reply(mode_ == Mode::Markers ? "MODE MKRS" : mode_ == Mode::Edge ? "MODE EDGE" : "MODE AMPL");
    } else if (h == "U/D?") {
      Reply("U/D " + AnswerNumber(period_));
    } else if (h == "MODE") {
      std::string mode = UpperCase(command.args);
      if (mode == "MKRS") {
        mode_ = Mode::Markers;
      } else if (mode == "EDGE") {
        mode_ = Mode::Edge;
      } else if (mode == "AMPL") {
        mode_ = Mode::Amplitude;
      } else {
        CommandError("unknown mode: " + text);
        return;
      }
    } else if (h == "U/D") {
      std::optional<Quantity> q = ParseQuantity(command.args);
      if (!q || !q->unit.empty() || !SetMarkerPeriod(q->value)) {
        CommandError("bad marker period: " + text);
        return;
      }
    } else {
      CommandError("unknown command: " + text);
      return;
    }
  }
}

}  // namespace veridane::sim
