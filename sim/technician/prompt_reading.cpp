#include "sim/technician/prompt_reading.h"

#include <cmath>

#include "platform/text8.h"
#include "sim/technician/text_match.h"

namespace veridane::sim {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::optional<double> PrefixFactor(char c) {
  switch (c) {
    case 'p': return 1e-12;
    case 'n': return 1e-9;
    case '\xB5':
    case 'u': return 1e-6;
    case 'm': return 1e-3;
    case 'k': return 1e3;
    case 'M': return 1e6;
    case 'G': return 1e9;
    case 'T': return 1e12;
    default: return std::nullopt;
  }
}

// What follows a line's fixed head, as it stands; nullopt when the line does not start with it.
std::optional<std::string_view> After(std::string_view line, std::string_view head) {
  if (!StartsWith(line, head)) return std::nullopt;
  return line.substr(head.size());
}

}  // namespace

std::optional<Quantity> ReadQuantity(std::string_view text, size_t* consumed) {
  std::string_view rest = text;
  std::optional<double> number = TakeNumber(rest);
  if (!number) return std::nullopt;
  size_t i = text.size() - rest.size();
  while (i < text.size() && text[i] == ' ') ++i;
  double factor = 1;
  // A prefix letter counts only when a unit letter follows it ("ms", "MHz", "\xB5V").
  if (i + 1 < text.size() && IsLetter(text[i + 1])) {
    if (std::optional<double> prefix = PrefixFactor(text[i])) {
      factor = *prefix;
      ++i;
    }
  }
  size_t unitStart = i;
  while (i < text.size() && IsLetter(text[i])) ++i;
  Quantity quantity{*number * factor, std::string(text.substr(unitStart, i - unitStart))};
  if (consumed) *consumed = i;
  return quantity;
}

std::vector<std::string> PromptLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (true) {
    size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

std::optional<GeneratorSetting> ReadGeneratorSetting(std::string_view text) {
  std::vector<std::string> lines = PromptLines(text);
  if (lines.size() != 2) return std::nullopt;
  GeneratorSetting setting;

  const std::string& frequencyLine = lines[0];
  if (frequencyLine != "Dont Change the Frequency." && frequencyLine != "Don't change the Frequency.") {
    std::optional<std::string_view> rest = After(frequencyLine, "Frequency:");
    if (!rest) return std::nullopt;
    size_t used = 0;
    std::optional<Quantity> frequency = ReadQuantity(*rest, &used);
    if (!frequency || frequency->unit != "Hz" || !(frequency->value > 0)) return std::nullopt;
    if (!Trim(rest->substr(used)).empty()) return std::nullopt;
    setting.frequencyHz = frequency->value;
  }

  const std::string& amplitudeLine = lines[1];
  if (amplitudeLine != "Don't Change the Amplitude.") {
    std::optional<std::string_view> rest = After(amplitudeLine, "Amplitude:");
    if (!rest) return std::nullopt;
    size_t used = 0;
    std::optional<Quantity> amplitude = ReadQuantity(*rest, &used);
    if (!amplitude || amplitude->unit != "V" || amplitude->value < 0) return std::nullopt;
    std::string tail = Trim(rest->substr(used));
    if (tail == "pp as seen on the scope.") {
      setting.asSeenOnScope = true;
    } else {
      // "pp (212.1 mV rms)": the RMS value must agree with the peak-to-peak one, or the text
      // is not what it seems.
      std::optional<std::string_view> rms = After(tail, "pp (");
      if (!rms || !EndsWith(*rms, " rms)")) return std::nullopt;
      std::optional<Quantity> rmsValue = ReadQuantity(*rms);
      if (!rmsValue || rmsValue->unit != "V") return std::nullopt;
      double expected = amplitude->value / (2 * std::sqrt(2.0));
      if (std::fabs(rmsValue->value - expected) > 0.01 * expected + 1e-12) return std::nullopt;
    }
    setting.vpp = amplitude->value;
  }
  return setting;
}

std::optional<CalibratorSetting> ReadCalibratorSetting(std::string_view text) {
  if (Contains(text, "\n")) return std::nullopt;
  size_t used = 0;
  std::optional<Quantity> output = ReadQuantity(text, &used);
  if (!output) return std::nullopt;
  std::string_view rest = text.substr(used);
  CalibratorSetting setting{*output, 0};
  if (output->unit == "Ohm") {
    if (!rest.empty()) return std::nullopt;
    return setting;
  }
  if (output->unit != "V" && output->unit != "A") return std::nullopt;
  if (rest == ", DC") return setting;
  std::optional<std::string_view> frequencyText = After(rest, ", ");
  if (!frequencyText) return std::nullopt;
  size_t frequencyUsed = 0;
  std::optional<Quantity> frequency = ReadQuantity(*frequencyText, &frequencyUsed);
  if (!frequency || frequency->unit != "Hz" || frequencyUsed != frequencyText->size()) return std::nullopt;
  setting.frequencyHz = frequency->value;
  return setting;
}

std::optional<KnobInstruction> ReadKnobInstruction(std::string_view text) {
  std::vector<std::string> lines = PromptLines(text);
  KnobInstruction knob;
  if (lines.size() == 4 && lines[2].empty() && lines[3] == "Try again ?") {
    knob.tryAgain = true;
  } else if (lines.size() != 2) {
    return std::nullopt;
  }
  std::string_view quantityWord;
  if (lines[0] == "The frequency is out of limit!") {
    knob.quantity = KnobInstruction::Quantity::Frequency;
    quantityWord = " frequency to";
  } else if (lines[0] == "The amplitude is out of limit!") {
    knob.quantity = KnobInstruction::Quantity::Amplitude;
    quantityWord = " amplitude to";
  } else {
    return std::nullopt;
  }
  std::string_view line = lines[1];
  if (StartsWith(line, "Increase the ")) {
    knob.increase = true;
  } else if (StartsWith(line, "Decrease the ")) {
    knob.increase = false;
  } else {
    return std::nullopt;
  }
  line.remove_prefix(std::string_view("Increase the ").size());
  size_t at = line.rfind(quantityWord);
  if (at == std::string_view::npos || at == 0) return std::nullopt;
  knob.subject = std::string(line.substr(0, at));
  std::string_view valueText = line.substr(at + quantityWord.size());
  size_t used = 0;
  std::optional<Quantity> target = ReadQuantity(valueText, &used);
  if (!target || !(target->value > 0)) return std::nullopt;
  std::string_view tail = valueText.substr(used);
  if (knob.quantity == KnobInstruction::Quantity::Frequency) {
    if (target->unit != "Hz" || tail != ".") return std::nullopt;
  } else {
    if (target->unit != "V" || tail != " P-P.") return std::nullopt;
  }
  knob.target = target->value;
  return knob;
}

std::optional<ScopeInput> ReadScopeInput(std::string_view text, size_t* consumed) {
  std::string upper = UpperCase(text);
  struct Name {
    std::string_view text;
    ScopeInput input;
  };
  static constexpr Name kNames[] = {{"CH 1", ScopeInput::Ch1},     {"CH1", ScopeInput::Ch1},
                                    {"CH 2", ScopeInput::Ch2},     {"CH2", ScopeInput::Ch2},
                                    {"EXT TRIG", ScopeInput::ExtTrig}, {"AUXTR", ScopeInput::ExtTrig}};
  for (const Name& name : kNames) {
    if (StartsWith(upper, name.text)) {
      if (consumed) *consumed = name.text.size();
      return name.input;
    }
  }
  return std::nullopt;
}

std::string SourceForInstrumentName(std::string_view name) {
  std::string upper = UpperCase(name);
  // The calibrator first: "Fluke 5100A/B" is a calibrator, "Fluke 6060" a generator.
  if (Contains(upper, "CALIBRATOR") || Contains(upper, "5100")) return "CALIB";
  if (Contains(upper, "TIME MARK") || StartsWith(upper, "CG ")) return "CGTR";
  if (Contains(upper, "GENERATOR") || StartsWith(upper, "SG ") || Contains(upper, "SME") ||
      Contains(upper, "FLUKE 60")) {
    return "SG";
  }
  return {};
}

std::optional<CablingInstruction> ReadCablingInstruction(std::string_view text) {
  using Kind = CablingInstruction::Kind;
  std::vector<std::string> lines = PromptLines(text);
  CablingInstruction instruction;

  if (lines.size() == 1) {
    const std::string& line = lines[0];
    if (line == "Disconnect all input signals." || line == "Remove all input signals.") {
      instruction.kind = Kind::DisconnectAll;
      return instruction;
    }
    if (line == "Insert a 50 ohm termination in the path to all scope inputs (including EXT TRIG)." ||
        line == "Insert a 50 ohm termination in the path to all scope inputs.") {
      instruction.kind = Kind::TerminateAll;
      return instruction;
    }
    if (line == "Insert a 50 ohm termination in the path to CH1 input.") {
      instruction.kind = Kind::TerminateInput;
      instruction.input = ScopeInput::Ch1;
      return instruction;
    }
    if (line == "If present remove any a 50 ohm termination(s) at the inputs.") {
      instruction.kind = Kind::RemoveTerminations;
      return instruction;
    }
    for (std::string_view head : {"Move the signal (including the 50 ohm termination) to ", "Move the signal to "}) {
      if (std::optional<std::string_view> rest = After(line, head)) {
        size_t used = 0;
        std::optional<ScopeInput> input = ReadScopeInput(*rest, &used);
        if (!input || rest->substr(used) != ".") return std::nullopt;
        instruction.kind = Kind::Move;
        instruction.input = *input;
        instruction.terminated = Contains(head, "termination");
        return instruction;
      }
    }
  }

  if (lines.size() == 3 && lines[0] == "Connect the System Channel cables (1 & 2) to CH 1 and CH 2." &&
      lines[1] == "Connect the System EXT TRIG (cable #2) to EXT TRIG." && lines[2] == "Don't use any terminations.") {
    instruction.kind = Kind::SystemCables;
    return instruction;
  }

  if (lines.empty() || lines.size() > 2) return std::nullopt;
  std::optional<std::string_view> rest = After(lines[0], "Connect the ");
  if (!rest) return std::nullopt;
  // The instrument's name ends where the wording of the connection begins.
  size_t nameEnd = std::string_view::npos;
  for (std::string_view word : {" to CH", " to EXT", " through ", " trough "}) {
    nameEnd = std::min(nameEnd, rest->find(word));
  }
  if (nameEnd == std::string_view::npos || nameEnd == 0) return std::nullopt;
  std::string_view name = rest->substr(0, nameEnd);
  if (StartsWith(name, "a ")) name.remove_prefix(2);  // "Connect the a Time Mark Generator ..."
  instruction.source = SourceForInstrumentName(name);
  if (instruction.source.empty()) return std::nullopt;

  std::string remaining(rest->substr(nameEnd));
  static constexpr std::string_view kTermination[] = {" through a 50 ohm termination", " trough a 50 ohm termination"};
  for (std::string_view termination : kTermination) {
    size_t at = remaining.find(termination);
    if (at != std::string::npos) {
      instruction.terminated = true;
      remaining.erase(at, termination.size());
      break;
    }
  }
  std::optional<std::string_view> target = After(remaining, " to ");
  if (!target) return std::nullopt;
  size_t used = 0;
  std::optional<ScopeInput> input = ReadScopeInput(*target, &used);
  if (!input || target->substr(used) != ".") return std::nullopt;
  instruction.kind = Kind::Connect;
  instruction.input = *input;

  if (lines.size() == 2) {
    std::optional<std::string_view> period = After(lines[1], "Set it to ");
    if (!period || instruction.source != "CGTR") return std::nullopt;
    size_t periodUsed = 0;
    std::optional<Quantity> q = ReadQuantity(*period, &periodUsed);
    if (!q || q->unit != "s" || !(q->value > 0) || period->substr(periodUsed) != ".") return std::nullopt;
    instruction.markerPeriodS = q->value;
  }
  return instruction;
}

}  // namespace veridane::sim
