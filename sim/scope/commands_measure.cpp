// Measurements, the edge trigger and the cursors.
#include <cmath>

#include "platform/numbers.h"
#include "sim/scope/scope_commands.h"

namespace veridane::sim {

namespace {

using S = const Suffixes&;
using A = const Arguments&;
using Reply = std::optional<std::string>;

// In the order of MeasureType.
const std::vector<std::string_view> kMeasureTypes{"AMPlitude", "FREQuency", "HIGH", "LOW",   "MAXimum",
                                                  "MEAN",      "MINImum",   "PERIod", "PK2pk", "RMS"};
const std::vector<std::string_view> kTriggerSources{"CH1", "CH2", "EXT", "EXT10", "LINE"};
const std::vector<std::string_view> kTriggerCouplings{"AC", "DC", "HFRej", "LFRej", "NOISErej"};
const std::vector<std::string_view> kCursorFunctions{"OFF", "HBArs", "VBArs", "PAIred"};

// MEASU:IMM is node 1 without a suffix; MEASU:MEAS<x> carries its number there.
MeasurementSlot& Slot(ScopeCore& c, S s, bool immediate) {
  return immediate ? c.settings.immediate : c.settings.measurement[s[1] - 1];
}

std::string UnitOf(MeasureType type) {
  if (type == MeasureType::Frequency) return "\"Hz\"";
  if (type == MeasureType::Period) return "\"s\"";
  return "\"V\"";
}

Reply Value(ScopeCore& c, const MeasurementSlot& slot) {
  if (c.settings.acquire.running) c.physics.NextAcquisition();
  return Nr3(c.physics.Measure(c.settings, slot.type, slot.source));
}

template <bool Immediate>
void AddSlotCommands(std::vector<CommandEntry>& t, std::string_view node) {
  t.push_back({{"MEASUrement", node, "TYPe"},
               [](ScopeCore& c, S s, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, kMeasureTypes);
                 if (!choice) return Outcome::CommandError;
                 Slot(c, s, Immediate).type = static_cast<MeasureType>(*choice);
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S s) -> Reply {
                 return c.Choice(kMeasureTypes[static_cast<size_t>(Slot(c, s, Immediate).type)]);
               }});
  t.push_back({{"MEASUrement", node, "UNIts"}, nullptr,
               [](ScopeCore& c, S s) -> Reply { return UnitOf(Slot(c, s, Immediate).type); }});
  t.push_back({{"MEASUrement", node, "SOUrce<x>"},
               [](ScopeCore& c, S s, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, {"CH1", "CH2"});
                 if (!choice) return Outcome::CommandError;
                 Slot(c, s, Immediate).source = static_cast<int>(*choice) + 1;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S s) -> Reply { return "CH" + std::to_string(Slot(c, s, Immediate).source); }});
  if (!Immediate) {
    t.push_back({{"MEASUrement", node, "STATE"},
                 [](ScopeCore& c, S s, A a) {
                   std::optional<bool> on = BooleanArgument(a);
                   if (!on) return Outcome::CommandError;
                   Slot(c, s, false).state = *on;
                   return Outcome::Ok;
                 },
                 [](ScopeCore& c, S s) -> Reply { return Flag(Slot(c, s, false).state); }});
  }
  t.push_back({{"MEASUrement", node, "VALue"}, nullptr,
               [](ScopeCore& c, S s) -> Reply { return Value(c, Slot(c, s, Immediate)); }, false});
}

const char* TriggerStateText(TriggerStatus status) {
  switch (status) {
    case TriggerStatus::Auto: return "AUTO";
    case TriggerStatus::Ready: return "READY";
    case TriggerStatus::Trigger: return "TRIGGER";
    case TriggerStatus::Save: return "SAVE";
  }
  return "READY";
}

Reply CursorVolts(ScopeCore& c, int bar) {
  if (c.settings.cursor.function != CursorFunction::Paired) return std::nullopt;
  if (c.settings.acquire.running) c.physics.NextAcquisition();
  return Nr3(c.physics.CursorVoltage(c.settings, c.settings.control, c.settings.cursor.vbarPosition[bar - 1]));
}

}  // namespace

void AddMeasureCommands(std::vector<CommandEntry>& t) {
  AddSlotCommands<true>(t, "IMMed");
  AddSlotCommands<false>(t, "MEAS<x>");
  t.push_back({{"MEASUrement", "METHod"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, {"HIStogram", "MINMax"});
                 if (!choice) return Outcome::CommandError;
                 c.settings.method = static_cast<MeasureMethod>(*choice);
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply {
                 return c.Choice(c.settings.method == MeasureMethod::MinMax ? "MINMax" : "HIStogram");
               }});

  t.push_back({{"TRIGger"},
               [](ScopeCore&, S, A a) { return ChoiceArgument(a, {"FORCe"}) ? Outcome::Ok : Outcome::CommandError; },
               nullptr});
  t.push_back({{"TRIGger", "STATE"}, nullptr,
               [](ScopeCore& c, S) -> Reply { return TriggerStateText(c.physics.TriggerState(c.settings)); },
               false});
  t.push_back({{"TRIGger", "MAIn"},
               [](ScopeCore& c, S, A a) {
                 if (!ChoiceArgument(a, {"SETLevel"})) return Outcome::CommandError;
                 c.settings.trigger.level = c.physics.TriggerMidLevel(c.settings);
                 return Outcome::Ok;
               },
               nullptr});
  t.push_back({{"TRIGger", "MAIn", "MODe"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, {"AUTO", "NORMal"});
                 if (!choice) return Outcome::CommandError;
                 c.settings.trigger.normalMode = *choice == 1;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply { return c.Choice(c.settings.trigger.normalMode ? "NORMal" : "AUTO"); }});
  t.push_back({{"TRIGger", "MAIn", "TYPe"},
               [](ScopeCore&, S, A a) { return ChoiceArgument(a, {"EDGE"}) ? Outcome::Ok : Outcome::CommandError; },
               [](ScopeCore&, S) -> Reply { return "EDGE"; }});
  t.push_back({{"TRIGger", "MAIn", "LEVel"},
               [](ScopeCore& c, S, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value) return Outcome::CommandError;
                 return Clamped(*value, -1000, 1000, c.settings.trigger.level);
               },
               [](ScopeCore& c, S) -> Reply { return Nr3(c.settings.trigger.level); }});
  t.push_back({{"TRIGger", "MAIn", "EDGE", "SOUrce"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, kTriggerSources);
                 if (!choice) return Outcome::CommandError;
                 c.settings.trigger.source = static_cast<TriggerSource>(*choice);
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply {
                 return std::string(kTriggerSources[static_cast<size_t>(c.settings.trigger.source)]);
               }});
  t.push_back({{"TRIGger", "MAIn", "EDGE", "COUPling"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, kTriggerCouplings);
                 if (!choice) return Outcome::CommandError;
                 c.settings.trigger.coupling = static_cast<TriggerCoupling>(*choice);
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply {
                 return c.Choice(kTriggerCouplings[static_cast<size_t>(c.settings.trigger.coupling)]);
               }});
  t.push_back({{"TRIGger", "MAIn", "EDGE", "SLOpe"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, {"RISe", "FALL"});
                 if (!choice) return Outcome::CommandError;
                 c.settings.trigger.risingSlope = *choice == 0;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply { return c.Choice(c.settings.trigger.risingSlope ? "RISe" : "FALL"); }});

  t.push_back({{"CURSor", "FUNCtion"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, kCursorFunctions);
                 if (!choice) return Outcome::CommandError;
                 c.settings.cursor.function = static_cast<CursorFunction>(*choice);
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply {
                 return c.Choice(kCursorFunctions[static_cast<size_t>(c.settings.cursor.function)]);
               }});
  t.push_back({{"CURSor", "VBArs", "POSITION<x>"},
               [](ScopeCore& c, S s, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value) return Outcome::CommandError;
                 return Clamped(*value, -50, 50, c.settings.cursor.vbarPosition[s[2] - 1]);
               },
               [](ScopeCore& c, S s) -> Reply { return Nr3(c.settings.cursor.vbarPosition[s[2] - 1]); }});
  t.push_back({{"CURSor", "VBArs", "SELect"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, {"CURSOR1", "CURSOR2"});
                 if (!choice) return Outcome::CommandError;
                 c.settings.cursor.vbarSelected = static_cast<int>(*choice) + 1;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply { return "CURSOR" + std::to_string(c.settings.cursor.vbarSelected); }});
  t.push_back({{"CURSor", "VBArs", "DELTa"}, nullptr,
               [](ScopeCore& c, S) -> Reply {
                 return Nr3(c.settings.cursor.vbarPosition[1] - c.settings.cursor.vbarPosition[0]);
               },
               false});
  t.push_back({{"CURSor", "HBArs", "POSITION<x>"},
               [](ScopeCore& c, S s, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value) return Outcome::CommandError;
                 return Clamped(*value, -1000, 1000, c.settings.cursor.hbarPosition[s[2] - 1]);
               },
               [](ScopeCore& c, S s) -> Reply { return Nr3(c.settings.cursor.hbarPosition[s[2] - 1]); }});
  t.push_back({{"CURSor", "HBArs", "SELect"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, {"CURSOR1", "CURSOR2"});
                 if (!choice) return Outcome::CommandError;
                 c.settings.cursor.hbarSelected = static_cast<int>(*choice) + 1;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply { return "CURSOR" + std::to_string(c.settings.cursor.hbarSelected); }});
  t.push_back({{"CURSor", "PAIred", "HPOS<x>"}, nullptr,
               [](ScopeCore& c, S s) -> Reply { return CursorVolts(c, s[2]); }, false});
  t.push_back({{"CURSor", "PAIred", "HDELTa"}, nullptr,
               [](ScopeCore& c, S) -> Reply {
                 Reply first = CursorVolts(c, 1), second = CursorVolts(c, 2);
                 if (!first || !second) return std::nullopt;
                 return Nr3(NumericValue(*second) - NumericValue(*first));
               },
               false});
}

}  // namespace veridane::sim
