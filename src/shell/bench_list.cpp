#include "shell/bench_list.h"

#include <algorithm>
#include <vector>

#include "platform/text8.h"
#include "shell/bench_choice.h"

namespace veridane {

namespace {

std::string RememberedLine(const BackendRegistry& registry, const Settings& settings) {
  const std::string remembered = settings.Get("Veridane", "Settings", "Bench", "");
  if (remembered.empty())
    return "No bench remembered: without --bench the program uses " + std::string(kDefaultBench) + ".\n";
  // A remembered text that no back end of this build knows would end the next start with a
  // message; say so here, where the technician is looking for it.
  const std::string warning = registry.Find(remembered) == nullptr ? " (unknown to this build)" : "";
  return "Remembered bench (used when no --bench is given): " + Text8FromUtf8(remembered) + warning + "\n";
}

}  // namespace

std::string BenchListText(const BackendRegistry& registry, const Settings& settings) {
  std::vector<BenchListing> benches;
  for (const BenchScheme& scheme : registry.Schemes()) {
    if (!scheme.list) continue;
    for (BenchListing& listing : scheme.list()) benches.push_back(std::move(listing));
  }

  std::string text;
  if (benches.empty()) {
    text = "This build ships no benches; give a bench file or an adapter with --bench.\n";
  } else {
    size_t width = 0;
    for (const BenchListing& bench : benches) width = std::max(width, bench.text.size());
    text = "Shipped benches (start one with --bench NAME):\n";
    for (const BenchListing& bench : benches) {
      std::string line = "  " + bench.text;
      if (!bench.description.empty()) line += std::string(width - bench.text.size() + 2, ' ') + bench.description;
      text += line + "\n";
    }
  }
  return text + RememberedLine(registry, settings);
}

}  // namespace veridane
