#pragma once
// Generated at build time from sim/benches/*.toml (embed_benches.cmake).
#include <string_view>
#include <vector>

namespace veridane::sim {

struct EmbeddedBenchText {
  std::string_view name;  // file name without ".toml"
  std::string_view text;
};

const std::vector<EmbeddedBenchText>& EmbeddedBenchTexts();

}  // namespace veridane::sim
