#pragma once
// The benches the program knows, by connection text. The composition root registers every
// back end it links (the simulator, the real adapters); the rest of the program only asks the
// registry for the scheme of a text and opens it.
#include <string>
#include <string_view>
#include <vector>

#include "platform/bench_backend.h"

namespace veridane {

class BackendRegistry {
 public:
  // Schemes are asked in the order they were registered; the first that matches wins.
  void Register(BenchScheme scheme);
  const BenchScheme* Find(std::string_view text) const;
  // The hints of every scheme, one per line, for the "Unknown bench" message.
  std::string Hints() const;
  const std::vector<BenchScheme>& Schemes() const { return schemes_; }

 private:
  std::vector<BenchScheme> schemes_;
};

// The real GPIB adapters by connection text: "gpib:N" (board N through the linux-gpib or
// NI-488.2 library, or the one named by the setting "GpibLibrary"; "ni:N" is the same),
// "prologix:DEVICE", "prologix-tcp:HOST[:PORT]", "ar488:DEVICE".
void RegisterHardwareSchemes(BackendRegistry& registry);

}  // namespace veridane
