#pragma once
// What `veridane --list-benches` prints: every bench the linked back ends ship, each with its
// description line, and the bench remembered from the last window run, so that a newcomer
// learns the names without reading the bench files.
#include <string>

#include "gpib/backends/backend_registry.h"
#include "platform/settings.h"

namespace veridane {

// 8-bit text, LF line ends.
std::string BenchListText(const BackendRegistry& registry, const Settings& settings);

}  // namespace veridane
