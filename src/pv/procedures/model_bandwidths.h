#pragma once
// The bandwidth of each scope model and the main timebase that shows a sine wave at it: the
// tests that drive the scope at its limit (Analog Bandwidth, Edge Trigger Sensitivity) share
// the one table.
#include <array>
#include <cstdint>
#include <string_view>

namespace veridane {

struct ModelBandwidth {
  int16_t code;              // ScopeModelCode
  float bandwidth;           // MHz
  std::string_view timebase; // for "HOR:MAI:SEC "
  float reductionAt2mV;      // MHz taken off the bandwidth at 2 mV/div
};

inline constexpr std::array<ModelBandwidth, 6> kModelBandwidths{{
    {1, 50, "25E-9", 0},
    {2, 100, "10E-9", 0},
    {4, 100, "10E-9", 0},
    {5, 200, "5E-9", 20},
    {6, 200, "5E-9", 20},
    {8, 400, "2.5E-9", 150},
}};

// The row of a model code, or nullptr for a code start-up would not have accepted.
inline const ModelBandwidth* FindModelBandwidth(int16_t code) {
  for (const ModelBandwidth& model : kModelBandwidths)
    if (model.code == code) return &model;
  return nullptr;
}

}  // namespace veridane
