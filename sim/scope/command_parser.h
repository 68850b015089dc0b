#pragma once
// The family's message syntax: ';'-chained commands, ':'-separated headers whose mnemonics may
// be given in their short form (the capitalised part of "MEASUrement"), the long form or
// anything in between, in any case; '?' marks a query; arguments are words, numbers
// (NR1/NR2/NR3) or quoted strings, separated by ','.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veridane::sim {

struct ScopeArgument {
  enum class Kind { Word, Number, String };
  Kind kind = Kind::Word;
  std::string text;  // words upper-cased; strings without their quotes
  double number = 0;
};

struct ScopeCommand {
  bool common = false;    // a '*' command: leaves the header path alone
  bool absolute = false;  // the header began with ':'
  bool query = false;
  std::vector<std::string> header;  // upper-cased mnemonics, without ':' and '?'
  std::vector<ScopeArgument> arguments;
  bool malformed = false;  // empty header, stray characters, unterminated string
};

// One program message (up to its terminator) split into its commands.
std::vector<ScopeCommand> ParseProgramMessage(std::string_view message);

// Whether a header mnemonic matches a pattern such as "MEASUrement", "CH<x>" or "SOUrce<x>":
// at least the capitalised part and no more than the whole word. For "<x>" patterns the
// trailing digits of the mnemonic are the suffix (1 when absent).
bool MatchMnemonic(std::string_view mnemonic, std::string_view pattern, int* suffix = nullptr);

// The same rule for a word argument against choices like {"SAMple", "AVErage"}: the index of
// the matching choice, or nothing.
std::optional<size_t> MatchChoice(std::string_view word, const std::vector<std::string_view>& choices);

// Long ("MEASUREMENT", "MEAS1") or short ("MEASU", "MEAS1") form of a pattern.
std::string MnemonicText(std::string_view pattern, bool longForm, int suffix = 1);

// The scope's reply form for a measured or set number: NR3 with up to five significant
// digits, e.g. "4.0E-3", "-1.2345E0", "9.9E37".
std::string Nr3(double value);

// The value the family answers for a measurement it cannot make.
constexpr double kImpossibleMeasurement = 9.9e37;

}  // namespace veridane::sim
