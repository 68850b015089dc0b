#include "sim/bench/shipped_benches.h"

#include <algorithm>

#include "sim/bench/embedded_bench_texts.h"

namespace veridane::sim {
namespace {
std::string_view Stem(std::string_view name) {
  if (name.size() > 5 && name.substr(name.size() - 5) == ".toml") name.remove_suffix(5);
  return name;
}
}  // namespace

std::vector<std::string> ShippedBenchNames() {
  std::vector<std::string> names;
  for (const EmbeddedBenchText& bench : EmbeddedBenchTexts()) names.emplace_back(bench.name);
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string_view> ShippedBenchText(std::string_view name) {
  for (const EmbeddedBenchText& bench : EmbeddedBenchTexts()) {
    if (bench.name == Stem(name)) return bench.text;
  }
  return std::nullopt;
}

std::string ShippedBenchFileName(std::string_view name) { return std::string(Stem(name)) + ".toml"; }

}  // namespace veridane::sim
