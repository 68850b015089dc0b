#include "gpib/backends/backend_registry.h"

namespace veridane {

void BackendRegistry::Register(BenchScheme scheme) { schemes_.push_back(std::move(scheme)); }

const BenchScheme* BackendRegistry::Find(std::string_view text) const {
  for (const BenchScheme& scheme : schemes_)
    if (scheme.matches && scheme.matches(text)) return &scheme;
  return nullptr;
}

std::string BackendRegistry::Hints() const {
  std::string hints;
  for (const BenchScheme& scheme : schemes_)
    if (!scheme.hint.empty()) hints += (hints.empty() ? "" : "\n") + scheme.hint;
  return hints;
}

void RegisterHardwareSchemes(BackendRegistry& registry) {
  struct Prefixes {
    const char* name;
    std::vector<std::string_view> prefixes;
  };
  const Prefixes known[] = {
      {"gpib", {"gpib:", "ni:", "linux-gpib:"}},
      {"prologix-tcp", {"prologix-tcp:"}},
      {"prologix", {"prologix:"}},
      {"ar488", {"ar488:"}},
  };
  for (const Prefixes& entry : known) {
    BenchScheme scheme;
    scheme.name = entry.name;
    scheme.matches = [prefixes = entry.prefixes](std::string_view text) {
      for (std::string_view prefix : prefixes)
        if (text.starts_with(prefix)) return true;
      return false;
    };
    registry.Register(std::move(scheme));
  }
}

}  // namespace veridane
