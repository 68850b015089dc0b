#pragma once
// The register of reference standards every simulated bench ships (sim/standards/standards.toml,
// compiled in so that it works from any folder).
#include <string>

namespace veridane::sim {

const std::string& SimulatedStandardsText();

}  // namespace veridane::sim
