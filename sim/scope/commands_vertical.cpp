// Channels, waveform selection, acquisition, horizontal system and display.
#include <cmath>

#include "sim/scope/scope_commands.h"

namespace veridane::sim {

namespace {

using S = const Suffixes&;
using A = const Arguments&;
using Reply = std::optional<std::string>;

ChannelSettings& Channel(ScopeCore& c, S s) { return c.settings.channel[s[0] - 1]; }

// The offset range widens with the scale, as the family's attenuators do.
double OffsetLimit(double scale) { return scale < 0.0995 ? 1 : scale < 0.995 ? 10 : 100; }

const std::vector<std::string_view> kCouplings{"AC", "DC", "GND"};
const std::vector<std::string_view> kAcquireModes{"SAMple", "PEAKdetect", "AVErage", "ENVelope"};
const std::vector<std::string_view> kHorizontalModes{"MAIn", "INTENSIFied", "DELAYEd"};
const std::vector<std::string_view> kGraticules{"FULl", "GRId", "CROSSHair", "FRAme"};

Outcome SetHorizontalScale(ScopeCore& c, A a, double& target) {
  std::optional<double> value = NumberArgument(a);
  if (!value || !(*value > 0)) return Outcome::CommandError;
  double low = ScopeModelFor(c.config.model).minSecondsPerDiv, high = 5;
  target = NearestStep(*value, {1, 2.5, 5}, low, high);
  return *value < low * 0.999 || *value > high * 1.001 ? Outcome::OutOfRange : Outcome::Ok;
}

// Turning a channel on selects it; turning the selected one off selects another shown one.
void Show(ScopeCore& c, int number, bool on) {
  c.settings.channel[number - 1].displayed = on;
  if (on) {
    c.settings.control = number;
  } else if (c.settings.control == number) {
    int other = 3 - number;
    if (c.settings.channel[other - 1].displayed) c.settings.control = other;
  }
}

}  // namespace

void AddVerticalCommands(std::vector<CommandEntry>& t) {
  t.push_back({{"CH<x>", "SCAle"},
               [](ScopeCore& c, S s, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value || !(*value > 0)) return Outcome::CommandError;
                 Channel(c, s).scale = NearestStep(*value, {1, 2, 5}, 2e-3, 10);
                 return *value < 2e-3 * 0.999 || *value > 10.001 ? Outcome::OutOfRange : Outcome::Ok;
               },
               [](ScopeCore& c, S s) -> Reply { return Nr3(Channel(c, s).scale); }});
  t.push_back({{"CH<x>", "OFFSet"},
               [](ScopeCore& c, S s, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value) return Outcome::CommandError;
                 double limit = OffsetLimit(Channel(c, s).scale);
                 return Clamped(*value, -limit, limit, Channel(c, s).offset);
               },
               [](ScopeCore& c, S s) -> Reply { return Nr3(Channel(c, s).offset); }});
  t.push_back({{"CH<x>", "POSition"},
               [](ScopeCore& c, S s, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value) return Outcome::CommandError;
                 return Clamped(*value, -5, 5, Channel(c, s).position);
               },
               [](ScopeCore& c, S s) -> Reply { return Nr3(Channel(c, s).position); }});
  t.push_back({{"CH<x>", "COUPling"},
               [](ScopeCore& c, S s, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, kCouplings);
                 if (!choice) return Outcome::CommandError;
                 Channel(c, s).coupling = static_cast<Coupling>(*choice);
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S s) -> Reply {
                 return c.Choice(kCouplings[static_cast<size_t>(Channel(c, s).coupling)]);
               }});
  t.push_back({{"CH<x>", "BANdwidth"},
               [](ScopeCore& c, S s, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, {"TWEnty", "FULl"});
                 if (!choice) return Outcome::CommandError;
                 Channel(c, s).bandwidthLimit = *choice == 0;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S s) -> Reply { return c.Choice(Channel(c, s).bandwidthLimit ? "TWEnty" : "FULl"); }});

  t.push_back({{"SELect", "CH<x>"},
               [](ScopeCore& c, S s, A a) {
                 std::optional<bool> on = BooleanArgument(a);
                 if (!on) return Outcome::CommandError;
                 Show(c, s[1], *on);
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S s) -> Reply { return Flag(c.settings.channel[s[1] - 1].displayed); }});
  t.push_back({{"SELect", "MATH"},
               [](ScopeCore& c, S, A a) {
                 std::optional<bool> on = BooleanArgument(a);
                 if (!on) return Outcome::CommandError;
                 c.settings.math = *on;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply { return Flag(c.settings.math); }});
  t.push_back({{"SELect", "REF<x>"},
               [](ScopeCore& c, S s, A a) {
                 std::optional<bool> on = BooleanArgument(a);
                 if (!on) return Outcome::CommandError;
                 (s[1] == 1 ? c.settings.ref1 : c.settings.ref2) = *on;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S s) -> Reply { return Flag(s[1] == 1 ? c.settings.ref1 : c.settings.ref2); }});
  // Last in "SEL?", so the reply ends with the selected channel's name.
  t.push_back({{"SELect", "CONTROl"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, {"CH1", "CH2"});
                 if (!choice) return Outcome::CommandError;
                 // Only a shown waveform can be selected; a restored set-up must not turn one on.
                 int number = static_cast<int>(*choice) + 1;
                 if (!c.settings.channel[number - 1].displayed) return Outcome::ExecutionError;
                 c.settings.control = number;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply { return "CH" + std::to_string(c.settings.control); }});

  t.push_back({{"ACQuire", "STOPAfter"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, {"RUNSTop", "SEQuence"});
                 if (!choice) return Outcome::CommandError;
                 c.settings.acquire.stopAfterSequence = *choice == 1;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply {
                 return c.Choice(c.settings.acquire.stopAfterSequence ? "SEQuence" : "RUNSTop");
               }});
  t.push_back({{"ACQuire", "STATE"},
               [](ScopeCore& c, S, A a) {
                 std::optional<bool> on = BooleanArgument(a);
                 if (!on) {
                   std::optional<size_t> choice = ChoiceArgument(a, {"RUN", "STOP"});
                   if (!choice) return Outcome::CommandError;
                   on = *choice == 0;
                 }
                 c.settings.acquire.running = *on;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply { return Flag(c.settings.acquire.running); }});
  t.push_back({{"ACQuire", "MODe"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, kAcquireModes);
                 if (!choice) return Outcome::CommandError;
                 c.settings.acquire.mode = static_cast<AcquireMode>(*choice);
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply {
                 return c.Choice(kAcquireModes[static_cast<size_t>(c.settings.acquire.mode)]);
               }});
  t.push_back({{"ACQuire", "NUMEnv"},
               [](ScopeCore& c, S, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value) return Outcome::CommandError;
                 double count = 0;
                 Outcome outcome = Clamped(std::round(*value), 1, 256, count);
                 c.settings.acquire.numEnvelopes = static_cast<int>(count);
                 return outcome;
               },
               [](ScopeCore& c, S) -> Reply { return std::to_string(c.settings.acquire.numEnvelopes); }});
  t.push_back({{"ACQuire", "NUMAVg"},
               [](ScopeCore& c, S, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value) return Outcome::CommandError;
                 double count = 0;
                 Outcome outcome = Clamped(std::round(*value), 2, 256, count);
                 c.settings.acquire.numAverages = static_cast<int>(count);
                 return outcome;
               },
               [](ScopeCore& c, S) -> Reply { return std::to_string(c.settings.acquire.numAverages); }});

  t.push_back({{"HORizontal", "MODe"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, kHorizontalModes);
                 if (!choice) return Outcome::CommandError;
                 c.settings.horizontal.mode = static_cast<HorizontalMode>(*choice);
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply {
                 return c.Choice(kHorizontalModes[static_cast<size_t>(c.settings.horizontal.mode)]);
               }});
  t.push_back({{"HORizontal", "POSition"},
               [](ScopeCore& c, S, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value) return Outcome::CommandError;
                 return Clamped(*value, 0, 100, c.settings.horizontal.position);
               },
               [](ScopeCore& c, S) -> Reply { return Nr3(c.settings.horizontal.position); }});
  t.push_back({{"HORizontal", "TRIGger", "POSition"},
               [](ScopeCore& c, S, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value) return Outcome::CommandError;
                 return Clamped(*value, 0, 100, c.settings.horizontal.triggerPosition);
               },
               [](ScopeCore& c, S) -> Reply { return Nr3(c.settings.horizontal.triggerPosition); }});
  t.push_back({{"HORizontal", "MAIn", "SCAle"},
               [](ScopeCore& c, S, A a) { return SetHorizontalScale(c, a, c.settings.horizontal.mainScale); },
               [](ScopeCore& c, S) -> Reply { return Nr3(c.settings.horizontal.mainScale); }});
  t.push_back({{"HORizontal", "MAIn", "SECdiv"},
               [](ScopeCore& c, S, A a) { return SetHorizontalScale(c, a, c.settings.horizontal.mainScale); },
               [](ScopeCore& c, S) -> Reply { return Nr3(c.settings.horizontal.mainScale); }, false});
  t.push_back({{"HORizontal", "DELay", "SCAle"},
               [](ScopeCore& c, S, A a) { return SetHorizontalScale(c, a, c.settings.horizontal.delayedScale); },
               [](ScopeCore& c, S) -> Reply { return Nr3(c.settings.horizontal.delayedScale); }});
  t.push_back({{"HORizontal", "DELay", "SECdiv"},
               [](ScopeCore& c, S, A a) { return SetHorizontalScale(c, a, c.settings.horizontal.delayedScale); },
               [](ScopeCore& c, S) -> Reply { return Nr3(c.settings.horizontal.delayedScale); }, false});
  t.push_back({{"HORizontal", "DELay", "TIMe"},
               [](ScopeCore& c, S, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value) return Outcome::CommandError;
                 return Clamped(*value, 0, 50, c.settings.horizontal.delayTime);
               },
               [](ScopeCore& c, S) -> Reply { return Nr3(c.settings.horizontal.delayTime); }});

  t.push_back({{"DISplay", "GRAticule"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, kGraticules);
                 if (!choice) return Outcome::CommandError;
                 c.settings.graticule = static_cast<Graticule>(*choice);
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply { return c.Choice(kGraticules[static_cast<size_t>(c.settings.graticule)]); }});
}

}  // namespace veridane::sim
