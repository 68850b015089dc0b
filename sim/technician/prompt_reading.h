#pragma once
// Reading the program's prompts the way a technician reads them: numbers with engineering
// prefixes and units as the result formatting prints them ("-990 mV", " 50.0 kHz",
// "1.50  V P-P", "10 ms"), the generator and calibrator settings, the knob instructions of the
// closed-loop setting, and the cabling instructions. Texts are the program's 8-bit text
// ("µ" is 0xB5); line ends may be LF or CR LF.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/instruments/command_text.h"
#include "sim/signal.h"

namespace veridane::sim {

// Reads a number with its unit at the start of the text (after blanks): "-990 mV" gives -0.99
// and "V"; "50.0 MHz" gives 5E+07 and "Hz". The unit keeps its case and what follows the
// prefix up to the next blank-separated word that is not part of it ("V pp", "V rms" and
// "V P-P" all give "V"). `consumed` receives the number of characters read. Nullopt when the
// text does not start with a number.
std::optional<Quantity> ReadQuantity(std::string_view text, size_t* consumed = nullptr);

// The text split into lines, CR LF and LF both ending a line, each line without its CR.
std::vector<std::string> PromptLines(std::string_view text);

// "Frequency: ..." / "Dont Change the Frequency." and "Amplitude:  ... (... rms)" /
// "Don't Change the Amplitude." or "Amplitude:  ... as seen on the scope.".
struct GeneratorSetting {
  std::optional<double> frequencyHz;  // nullopt: leave the frequency
  std::optional<double> vpp;          // nullopt: leave the amplitude
  bool asSeenOnScope = false;         // the amplitude is what the scope must show
};
std::optional<GeneratorSetting> ReadGeneratorSetting(std::string_view text);

// "<value> <unit>, DC" or "<value> <unit>, <frequency>" or "<value> Ohm".
struct CalibratorSetting {
  Quantity output;          // unit "V", "A" or "Ohm"
  double frequencyHz = 0;   // 0: DC
};
std::optional<CalibratorSetting> ReadCalibratorSetting(std::string_view text);

// "The frequency is out of limit!" / "Increase the signal frequency to 100 Hz." and the
// amplitude form, optionally ending in "Try again ?".
struct KnobInstruction {
  enum class Quantity { Frequency, Amplitude };
  Quantity quantity = Quantity::Frequency;
  bool increase = true;
  std::string subject;  // "signal" or "<generator name> output"
  double target = 0;    // Hz or V p-p
  bool tryAgain = false;
};
std::optional<KnobInstruction> ReadKnobInstruction(std::string_view text);

// "CH 1", "CH1", "CH 2", "EXT TRIG" at the start of the text (any case).
std::optional<ScopeInput> ReadScopeInput(std::string_view text, size_t* consumed = nullptr);

// The bench source a prompt's instrument name stands for: "CALIB" for a calibrator
// ("Calibrator", "Fluke 5100A/B"), "CGTR" for a time-mark generator, "SG" for a signal
// generator ("Signal Generator", "SG 5030", "R&S SME03", "Fluke 6060"); empty when unknown.
std::string SourceForInstrumentName(std::string_view name);

// What a cabling prompt asks for.
struct CablingInstruction {
  enum class Kind {
    Connect,            // plug `source` into `input` (with a termination when `terminated`)
    Move,               // move the signal to `input`, the termination too when `terminated`
    DisconnectAll,      // unplug every signal
    SystemCables,       // the Auto bench's system cables, no terminations
    TerminateAll,       // feed-through on every input
    TerminateInput,     // feed-through on `input`
    RemoveTerminations  // no feed-through anywhere
  };
  Kind kind = Kind::Connect;
  std::string source;
  ScopeInput input = ScopeInput::Ch1;
  bool terminated = false;
  std::optional<double> markerPeriodS;  // "Set it to 10 ms." after connecting time marks
};
// Nullopt when the text is not a cabling instruction this technician knows.
std::optional<CablingInstruction> ReadCablingInstruction(std::string_view text);

}  // namespace veridane::sim
