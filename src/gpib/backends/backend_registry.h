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

// The real GPIB boards and adapters, by the connection texts of HardwareForms()
// (real_backends.h): board libraries (setting "GpibLibrary"), VISA (setting "VisaLibrary"),
// Prologix-compatible adapters, and VISA resource strings for them.
void RegisterHardwareSchemes(BackendRegistry& registry);

}  // namespace veridane
