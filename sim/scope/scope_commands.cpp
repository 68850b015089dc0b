#include "sim/scope/scope_commands.h"

#include <algorithm>
#include <cmath>

namespace veridane::sim {

const std::vector<CommandEntry>& ScopeCommandTable() {
  static const std::vector<CommandEntry> table = [] {
    std::vector<CommandEntry> t;
    AddSystemCommands(t);
    AddVerticalCommands(t);
    AddMeasureCommands(t);
    AddWaveformCommands(t);
    return t;
  }();
  return table;
}

int SuffixLimit(std::string_view pattern) {
  if (pattern == "CH<x>" || pattern == "POSITION<x>" || pattern == "HPOS<x>" || pattern == "REF<x>") return 2;
  if (pattern == "MEAS<x>") return 4;
  return 1;
}

std::string ScopeCore::Choice(std::string_view pattern) const { return MnemonicText(pattern, verbose); }

std::optional<double> NumberArgument(const Arguments& arguments) {
  if (arguments.size() != 1 || arguments[0].kind != ScopeArgument::Kind::Number) return std::nullopt;
  return arguments[0].number;
}

std::optional<bool> BooleanArgument(const Arguments& arguments) {
  if (arguments.size() != 1) return std::nullopt;
  if (arguments[0].kind == ScopeArgument::Kind::Number) return std::lround(arguments[0].number) != 0;
  if (arguments[0].kind != ScopeArgument::Kind::Word) return std::nullopt;
  if (arguments[0].text == "ON") return true;
  if (arguments[0].text == "OFF") return false;
  return std::nullopt;
}

std::optional<size_t> ChoiceArgument(const Arguments& arguments, const std::vector<std::string_view>& choices) {
  if (arguments.size() != 1 || arguments[0].kind != ScopeArgument::Kind::Word) return std::nullopt;
  return MatchChoice(arguments[0].text, choices);
}

Outcome Clamped(double value, double low, double high, double& target) {
  target = std::clamp(value, low, high);
  return target == value ? Outcome::Ok : Outcome::OutOfRange;
}

double NearestStep(double value, const std::vector<double>& mantissas, double low, double high) {
  value = std::clamp(value, low, high);
  double best = low, bestDistance = 1e300;
  double decade = std::pow(10.0, std::floor(std::log10(value)) - 1);
  for (int d = 0; d < 3; ++d, decade *= 10) {
    for (double m : mantissas) {
      double candidate = m * decade;
      if (candidate < low * 0.999 || candidate > high * 1.001) continue;
      double distance = std::fabs(std::log(candidate / value));
      if (distance < bestDistance) best = candidate, bestDistance = distance;
    }
  }
  return best;
}

}  // namespace veridane::sim
