#pragma once
// The bench files shipped with the program (sim/benches/*.toml), compiled into it so that a
// shipped bench works whatever the current folder is.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veridane::sim {

// Names without ".toml", sorted: "default", "gain-fault", "scope-only", "tds310", ...
std::vector<std::string> ShippedBenchNames();
// The file's text for a name, with or without ".toml"; nullopt for an unknown name.
std::optional<std::string_view> ShippedBenchText(std::string_view name);
// "default.toml" for "default": how messages name a shipped bench.
std::string ShippedBenchFileName(std::string_view name);

}  // namespace veridane::sim
