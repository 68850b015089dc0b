#include "sim/scope/scope_config.h"

#include <array>

namespace veridane::sim {

namespace {

constexpr double MHz = 1e6;

// Healthy bandwidths sit 15 to 25 % above nominal: about -1.5 dB at the tested frequency, as on
// a good instrument, so the 70 % criterion passes without being marginal.
constexpr std::array<ScopeModelData, 7> kModels{{
    {"TDS 310", 50 * MHz, 63 * MHz, 63 * MHz, 90 * MHz, 5e-9},
    {"TDS 320", 100 * MHz, 125 * MHz, 125 * MHz, 180 * MHz, 5e-9},
    {"TDS 340", 100 * MHz, 125 * MHz, 125 * MHz, 180 * MHz, 5e-9},
    {"TDS 340A", 100 * MHz, 125 * MHz, 125 * MHz, 180 * MHz, 5e-9},
    {"TDS 350", 200 * MHz, 245 * MHz, 215 * MHz, 300 * MHz, 5e-9},
    {"TDS 360", 200 * MHz, 245 * MHz, 215 * MHz, 300 * MHz, 5e-9},
    {"TDS 380", 400 * MHz, 470 * MHz, 300 * MHz, 550 * MHz, 2.5e-9},
}};

}  // namespace

const ScopeModelData& ScopeModelFor(std::string_view model) {
  const ScopeModelData* best = nullptr;
  for (const ScopeModelData& desc : kModels) {
    if (desc.name == model) return desc;
    if (model.substr(0, desc.name.size()) == desc.name &&
        (!best || desc.name.size() > best->name.size()))
      best = &desc;
  }
  return best ? *best : kModels[2];
}

bool IsSupportedScopeModel(std::string_view model) {
  for (const ScopeModelData& desc : kModels)
    if (desc.name == model) return true;
  return false;
}

std::vector<std::string> SupportedScopeModels() {
  std::vector<std::string> names;
  for (const ScopeModelData& desc : kModels) names.emplace_back(desc.name);
  return names;
}

ScopeConfig HealthyScopeConfig(std::string_view model, uint64_t seed) {
  ScopeConfig config;
  config.model = std::string(model);
  config.seed = seed;
  return config;
}

}  // namespace veridane::sim
