#include "sim/bench/wiring.h"

#include "platform/text8.h"

namespace veridane::sim {
namespace {

size_t Index(ScopeInput input) { return static_cast<size_t>(input); }

constexpr const char* kMatrixSources[] = {"SG", "CALIB", "CGTR"};

const char* MatrixName(ScopeInput input) {
  switch (input) {
    case ScopeInput::Ch1:
      return "CH1";
    case ScopeInput::Ch2:
      return "CH2";
    case ScopeInput::ExtTrig:
      break;
  }
  return "AUXTR";
}

}  // namespace

std::optional<ScopeInput> ScopeInputFromName(std::string_view name) {
  std::string squeezed;
  for (char c : UpperCase(name)) {
    if (c != ' ') squeezed += c;
  }
  if (squeezed == "CH1") return ScopeInput::Ch1;
  if (squeezed == "CH2") return ScopeInput::Ch2;
  if (squeezed == "EXT" || squeezed == "EXTTRIG" || squeezed == "AUXTR") return ScopeInput::ExtTrig;
  return std::nullopt;
}

std::string ScopeInputName(ScopeInput input) {
  return input == ScopeInput::Ch1 ? "CH1" : input == ScopeInput::Ch2 ? "CH2" : "EXT";
}

bool IsSourceName(std::string_view name) { return name == "SG" || name == "CALIB" || name == "CGTR" || name == "ATT"; }

void Wiring::SetSource(std::string_view name, const SignalSource* source) {
  sources_[std::string(name)] = source;
}

void Wiring::SetAttenuator(const At5010* attenuator, bool generatorThroughAttenuator) {
  attenuator_ = attenuator;
  generatorThroughAttenuator_ = attenuator != nullptr && generatorThroughAttenuator;
}

void Wiring::SetScanners(const Scanner* first, const Scanner* second) {
  scanners_[0] = first;
  scanners_[1] = second;
}

bool Wiring::ConnectCable(std::string_view source, ScopeInput input, double ratio) {
  std::string name = UpperCase(source);
  if (!IsSourceName(name) || !(ratio >= 1)) return false;
  cables_[Index(input)] = Cable{name, ratio};
  return true;
}

void Wiring::DisconnectCable(ScopeInput input) { cables_[Index(input)].reset(); }

void Wiring::DisconnectAllCables() {
  for (auto& cable : cables_) cable.reset();
}

std::optional<Cable> Wiring::CableAt(ScopeInput input) const { return cables_[Index(input)]; }

void Wiring::SetTermination(ScopeInput input, bool terminated) { terminated_[Index(input)] = terminated; }

bool Wiring::Terminated(ScopeInput input) const { return terminated_[Index(input)]; }

const SignalSource* Wiring::Source(std::string_view name) const {
  auto it = sources_.find(name == "ATT" ? std::string_view("SG") : name);
  return it == sources_.end() ? nullptr : it->second;
}

Signal Wiring::SourceSignal(std::string_view name) const {
  const SignalSource* source = Source(name);
  if (source == nullptr) return {};
  Signal signal = source->Output();
  if (name == "ATT") {
    // The attenuator's output without an attenuator on the bench is simply not there.
    return attenuator_ == nullptr ? Signal{} : attenuator_->Pass(signal);
  }
  return signal;
}

bool Wiring::RelayClosed(std::string_view code) const {
  if (code.size() != 2) return false;
  char group = code[0];
  int scanner = (group == 'A' || group == 'B') ? 0 : 1;
  const Scanner* device = scanners_[scanner];
  if (device == nullptr) return false;
  std::string relay;
  relay += scanner == 0 ? group : (group == 'C' ? 'A' : 'B');
  relay += code[1];
  return device->Closed(relay);
}

bool Wiring::Joined(std::string_view name) const {
  auto it = relayPaths_.find(std::string(name));
  if (it == relayPaths_.end() || it->second.empty()) return false;
  const std::string& codes = it->second;
  for (size_t i = 0; i + 1 < codes.size(); i += 2) {
    if (!RelayClosed(std::string_view(codes).substr(i, 2))) return false;
  }
  return true;
}

Signal Wiring::SignalAt(ScopeInput input) const {
  Signal signal;
  const SignalSource* source = nullptr;
  if (const std::optional<Cable>& cable = cables_[Index(input)]) {
    source = Source(cable->source);
    signal = SourceSignal(cable->source);
    signal.dcVolts /= cable->ratio;
    signal.vpp /= cable->ratio;
    signal.markerVolts /= cable->ratio;
  } else if (Joined(MatrixName(input))) {
    for (const char* name : kMatrixSources) {
      if (!Joined(name)) continue;
      bool viaAttenuator = std::string_view(name) == "SG" && generatorThroughAttenuator_;
      Signal candidate = SourceSignal(viaAttenuator ? "ATT" : name);
      if (candidate.kind != Signal::Kind::None) {
        source = Source(name);
        signal = candidate;
        break;
      }
    }
  }
  if (signal.kind != Signal::Kind::None && source != nullptr && source->FiftyOhmSource() && !Terminated(input)) {
    signal.dcVolts *= 2;
    signal.vpp *= 2;
    signal.markerVolts *= 2;
  }
  return signal;
}

}  // namespace veridane::sim
