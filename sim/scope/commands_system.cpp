// Identity, interface settings, status reporting, calibration and the service error log.
#include <cmath>
#include <string>

#include "sim/scope/scope_commands.h"

namespace veridane::sim {

namespace {

constexpr const char* kCalibrationFirmware = "CF:91.1CT";

std::string Integer(int value) { return std::to_string(value); }

Outcome SetMask(const Arguments& arguments, int& mask) {
  std::optional<double> value = NumberArgument(arguments);
  if (!value) return Outcome::CommandError;
  double clamped = 0;
  Outcome outcome = Clamped(std::round(*value), 0, 255, clamped);
  mask = static_cast<int>(clamped);
  return outcome;
}

std::string QuotedEvent(const ScopeEvent& event) {
  return std::to_string(event.code) + ",\"" + event.message + "\"";
}

}  // namespace

void AddSystemCommands(std::vector<CommandEntry>& t) {
  using S = const Suffixes&;
  using A = const Arguments&;
  // Interface settings first: "SET?" replies start with them, as the family's do.
  t.push_back({{"HEADer"},
               [](ScopeCore& c, S, A a) {
                 std::optional<bool> on = BooleanArgument(a);
                 if (!on) return Outcome::CommandError;
                 c.headers = *on;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> std::optional<std::string> { return Flag(c.headers); }});
  t.push_back({{"VERBose"},
               [](ScopeCore& c, S, A a) {
                 std::optional<bool> on = BooleanArgument(a);
                 if (!on) return Outcome::CommandError;
                 c.verbose = *on;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> std::optional<std::string> { return Flag(c.verbose); }});

  t.push_back({{"ID"}, nullptr,
               [](ScopeCore& c, S) -> std::optional<std::string> {
                 return "TEK/" + c.config.model + "," + kCalibrationFirmware + ",FV:v" + c.config.firmware;
               },
               false, true});
  t.push_back({{"*IDN"}, nullptr,
               [](ScopeCore& c, S) -> std::optional<std::string> {
                 return "TEKTRONIX," + c.config.model + ",0," + kCalibrationFirmware + " FV:v" + c.config.firmware;
               },
               false});
  t.push_back({{"*RST"},
               [](ScopeCore& c, S, A a) {
                 if (!a.empty()) return Outcome::CommandError;
                 c.Reset();
                 return Outcome::Ok;
               },
               nullptr, false});
  t.push_back({{"FACtory"},
               [](ScopeCore& c, S, A a) {
                 if (!a.empty()) return Outcome::CommandError;
                 c.Factory();
                 return Outcome::Ok;
               },
               nullptr, false});
  t.push_back({{"*CLS"},
               [](ScopeCore& c, S, A a) {
                 if (!a.empty()) return Outcome::CommandError;
                 c.status.Clear();
                 return Outcome::Ok;
               },
               nullptr, false});
  t.push_back({{"*ESE"},
               [](ScopeCore& c, S, A a) {
                 int mask = 0;
                 Outcome outcome = SetMask(a, mask);
                 if (outcome != Outcome::CommandError) c.status.SetEse(mask);
                 return outcome;
               },
               [](ScopeCore& c, S) -> std::optional<std::string> { return Integer(c.status.Ese()); }, false});
  t.push_back({{"*SRE"},
               [](ScopeCore& c, S, A a) {
                 int mask = 0;
                 Outcome outcome = SetMask(a, mask);
                 if (outcome != Outcome::CommandError) c.status.SetSre(mask);
                 return outcome;
               },
               [](ScopeCore& c, S) -> std::optional<std::string> { return Integer(c.status.Sre()); }, false});
  t.push_back({{"DESE"},
               [](ScopeCore& c, S, A a) {
                 int mask = 0;
                 Outcome outcome = SetMask(a, mask);
                 if (outcome != Outcome::CommandError) c.status.SetDese(mask);
                 return outcome;
               },
               [](ScopeCore& c, S) -> std::optional<std::string> { return Integer(c.status.Dese()); }, false});
  t.push_back({{"*ESR"}, nullptr,
               [](ScopeCore& c, S) -> std::optional<std::string> { return Integer(c.status.ReadAndClearEsr()); },
               false});
  t.push_back({{"*STB"}, nullptr,
               [](ScopeCore& c, S) -> std::optional<std::string> {
                 return Integer(c.status.StatusByte(c.outputPending));
               },
               false});
  t.push_back({{"*OPC"},
               [](ScopeCore& c, S, A a) {
                 if (!a.empty()) return Outcome::CommandError;
                 c.status.Raise(kOperationComplete, 402, "Operation complete");
                 return Outcome::Ok;
               },
               [](ScopeCore&, S) -> std::optional<std::string> { return "1"; }, false});
  t.push_back({{"*WAI"}, [](ScopeCore&, S, A a) { return a.empty() ? Outcome::Ok : Outcome::CommandError; },
               nullptr, false});
  t.push_back({{"*TST"}, nullptr, [](ScopeCore&, S) -> std::optional<std::string> { return "0"; }, false});
  t.push_back({{"*CAL"}, nullptr,
               [](ScopeCore& c, S) -> std::optional<std::string> {
                 c.Busy(c.config.selfCalSeconds);
                 return Integer(c.config.selfCalResult);
               },
               false});
  t.push_back({{"BUSY"}, nullptr,
               [](ScopeCore& c, S) -> std::optional<std::string> { return Flag(c.IsBusy()); }, false});
  t.push_back({{"CLEARMenu"}, [](ScopeCore&, S, A a) { return a.empty() ? Outcome::Ok : Outcome::CommandError; },
               nullptr, false});

  t.push_back({{"EVENT"}, nullptr,
               [](ScopeCore& c, S) -> std::optional<std::string> { return Integer(c.status.NextEvent().code); },
               false});
  t.push_back({{"EVMsg"}, nullptr,
               [](ScopeCore& c, S) -> std::optional<std::string> { return QuotedEvent(c.status.NextEvent()); },
               false});
  t.push_back({{"EVQty"}, nullptr,
               [](ScopeCore& c, S) -> std::optional<std::string> {
                 return Integer(static_cast<int>(c.status.EventCount()));
               },
               false});
  t.push_back({{"ALLEv"}, nullptr,
               [](ScopeCore& c, S) -> std::optional<std::string> {
                 std::string reply = QuotedEvent(c.status.NextEvent());
                 while (c.status.EventCount() > 0) reply += "," + QuotedEvent(c.status.NextEvent());
                 return reply;
               },
               false});

  t.push_back({{"PASSWord"},
               [](ScopeCore& c, S, A a) {
                 if (a.size() != 1 || a[0].kind == ScopeArgument::Kind::Number) return Outcome::CommandError;
                 return c.errorLog.Password(a[0].text) ? Outcome::Ok : Outcome::ExecutionError;
               },
               nullptr, false});
  t.push_back({{"ERRLOG"},
               [](ScopeCore& c, S, A a) {
                 if (!ChoiceArgument(a, {"CLEAR"})) return Outcome::CommandError;
                 return c.errorLog.Clear() ? Outcome::Ok : Outcome::ExecutionError;
               },
               [](ScopeCore& c, S) -> std::optional<std::string> { return c.errorLog.First(); }, false});
  t.push_back({{"ERRLOG", "NEXT"}, nullptr,
               [](ScopeCore& c, S) -> std::optional<std::string> { return c.errorLog.Next(); }, false});
}

}  // namespace veridane::sim
