#pragma once
// Which instrument output reaches which scope input, and what signal arrives there.
//
// The bench's fixed wiring is a relay matrix: every source (SG, CALIB, CGTR) and every input
// (CH1, CH2, AUXTR = EXT TRIG) is joined to one common matrix line through the relays its
// scanner-configuration entry lists ("SG" = "A1", "CH1" = "B1C1"; codes C and D are the
// second scanner's groups A and B). A name is joined when all its relays are closed; an input
// sees the first joined source in the order SG, CALIB, CGTR that has an output. The generator
// can reach the matrix through the AT 5010.
//
// Hand cables override that: a cable plugged into an input replaces the matrix connection
// there. The technician plugs, moves and unplugs them at run time, optionally through hand
// attenuators (a divide ratio), and inserts or removes 50-ohm feed-through terminations: a
// 50-ohm source into an unterminated (1 Mohm) input delivers twice its rated level.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "sim/instruments/attenuator.h"
#include "sim/instruments/scanner.h"
#include "sim/instruments/signal_source.h"
#include "sim/signal.h"

namespace veridane::sim {

// "CH1"/"CH 1", "CH2", "EXT"/"EXT TRIG"/"AUXTR", any case; nullopt for anything else.
std::optional<ScopeInput> ScopeInputFromName(std::string_view name);
std::string ScopeInputName(ScopeInput input);  // "CH1", "CH2", "EXT"

// Source names: the generator "SG", the calibrator "CALIB", the time marks "CGTR", and "ATT",
// the attenuator's output (the generator through the AT 5010).
bool IsSourceName(std::string_view name);

struct Cable {
  std::string source;
  double ratio = 1;  // hand attenuators in the cable
};

class Wiring {
 public:
  // --- what the bench is built of (pointers stay owned by the bench) ---
  void SetSource(std::string_view name, const SignalSource* source);  // "SG", "CALIB", "CGTR"
  void SetAttenuator(const At5010* attenuator, bool generatorThroughAttenuator);
  void SetScanners(const Scanner* first, const Scanner* second);
  // Name to relay codes, as in the scanner configuration file.
  void SetRelayPaths(std::map<std::string, std::string> paths) { relayPaths_ = std::move(paths); }
  const std::map<std::string, std::string>& RelayPaths() const { return relayPaths_; }

  // --- what the technician changes ---
  // False (nothing changed) for an unknown source name or a ratio below 1.
  bool ConnectCable(std::string_view source, ScopeInput input, double ratio = 1);
  void DisconnectCable(ScopeInput input);
  void DisconnectAllCables();
  std::optional<Cable> CableAt(ScopeInput input) const;
  void SetTermination(ScopeInput input, bool terminated);
  bool Terminated(ScopeInput input) const;

  // --- what the scope sees ---
  Signal SignalAt(ScopeInput input) const;
  // True when the relays join `name` (an entry of the relay paths) to the matrix line.
  bool Joined(std::string_view name) const;

 private:
  const SignalSource* Source(std::string_view name) const;
  Signal SourceSignal(std::string_view name) const;
  bool RelayClosed(std::string_view code) const;

  std::map<std::string, const SignalSource*, std::less<>> sources_;
  const At5010* attenuator_ = nullptr;
  bool generatorThroughAttenuator_ = false;
  const Scanner* scanners_[2] = {nullptr, nullptr};
  std::map<std::string, std::string> relayPaths_;
  std::array<std::optional<Cable>, 3> cables_{};
  std::array<bool, 3> terminated_{};
};

}  // namespace veridane::sim
