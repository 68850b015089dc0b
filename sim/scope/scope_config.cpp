#include "sim/scope/scope_config.h"

#include <array>

namespace veridane::sim {

namespace {

constexpr double MHz = 1e6;

// Healthy bandwidths sit 15 to 25 % above nominal: about -1.5 dB at the tested frequency, as on
// a good instrument, so the 70 % criterion passes without being marginal.
constexpr std::array<ScopeModelSpec, 7> kModels{{
    {"TDS 310", 50 * MHz, 63 * MHz, 63 * MHz, 90 * MHz, 5e-9},
    {"TDS 320", 100 * MHz, 125 * MHz, 125 * MHz, 180 * MHz, 5e-9},
    {"TDS 340", 100 * MHz, 125 * MHz, 125 * MHz, 180 * MHz, 5e-9},
    {"TDS 340A", 100 * MHz, 125 * MHz, 125 * MHz, 180 * MHz, 5e-9},
    {"TDS 350", 200 * MHz, 245 * MHz, 215 * MHz, 300 * MHz, 5e-9},
    {"TDS 360", 200 * MHz, 245 * MHz, 215 * MHz, 300 * MHz, 5e-9},
    {"TDS 380", 400 * MHz, 470 * MHz, 300 * MHz, 550 * MHz, 2.5e-9},
}};

}  // namespace

const ScopeModelSpec& ScopeModelFor(std::string_view model) {
  const ScopeModelSpec* best = nullptr;
  for (const ScopeModelSpec& spec : kModels) {
    if (spec.name == model) return spec;
    if (model.substr(0, spec.name.size()) == spec.name &&
        (!best || spec.name.size() > best->name.size()))
      best = &spec;
  }
  return best ? *best : kModels[2];
}

bool IsSupportedScopeModel(std::string_view model) {
  for (const ScopeModelSpec& spec : kModels)
    if (spec.name == model) return true;
  return false;
}

std::vector<std::string> SupportedScopeModels() {
  std::vector<std::string> names;
  for (const ScopeModelSpec& spec : kModels) names.emplace_back(spec.name);
  return names;
}

ScopeConfig HealthyScopeConfig(std::string_view model, uint64_t seed) {
  ScopeConfig config;
  config.model = std::string(model);
  config.seed = seed;
  return config;
}

}  // namespace veridane::sim
