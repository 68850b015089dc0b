#pragma once
// Reading the command texts the bench instruments receive: splitting a message into its
// commands, headers and arguments, and numbers with unit suffixes. Instruments accept the
// blanks and letter cases the controller happens to send ("AMPL 3", "ATT   500", "POW .35V").
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veridane::sim {

// The commands of a message, split at `separator`, blanks and line ends trimmed, empty ones
// dropped ("INIT;CLOSE A1," gives "INIT" and "CLOSE A1,").
std::vector<std::string> SplitCommands(std::string_view message, char separator = ';');

struct Command {
  std::string header;  // upper case, e.g. "AMPL", "OUTP:STAT", "*IDN?"
  std::string args;    // the rest, blanks trimmed
};
// Header = text up to the first blank (or the first character that cannot be part of a
// header, so "POW.35V" still reads); upper-cased.
Command ParseCommand(std::string_view command);

// Reads a decimal number ("3", "-.99", "5E+07", "+1.5e-3") from the front of `text` and drops
// it from `text`; leading blanks are skipped. Nothing read: nullopt and `text` unchanged.
std::optional<double> TakeNumber(std::string_view& text);

// A number with its unit.
struct Quantity {
  double value = 0;
  std::string unit;
};
// A number followed by an optional unit suffix (blanks allowed between), e.g. "10 mV"; the
// unit comes upper-cased, empty when none. The whole text must be one quantity; anything else
// gives nullopt.
std::optional<Quantity> ParseQuantity(std::string_view text);

// True when `header` is `keyword` or a short form of it at least `minLength` long
// ("FRE" and "FREQ" for "FREQUENCY" with minLength 3).
bool HeaderIs(std::string_view header, std::string_view keyword, size_t minLength);

// "ON"/"1" and "OFF"/"0" in any case; anything else gives nullopt.
std::optional<bool> ParseOnOff(std::string_view text);

// Text for query answers: at most 7 significant digits, no locale ("3", "0.01", "5E+07").
std::string AnswerNumber(double value);

}  // namespace veridane::sim
