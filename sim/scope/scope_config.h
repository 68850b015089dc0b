#pragma once
// What a simulated TDS 3x0 is: its model, firmware and the faults injected into it. The bench
// fills this from its files; HealthyScopeConfig gives a scope that passes every verification
// row with a realistic margin.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veridane::sim {

// Faults of one input channel. They add to the small imperfections every simulated scope has
// (derived from the seed), which stay well inside the verification limits.
struct ScopeChannelConfig {
  double offsetErrorVolts = 0;  // added to every reading of the channel, at every scale
  double gainError = 0;         // fraction: 0.03 makes the channel's gain 3 % high
  double bandwidthHz = 0;       // -3 dB point; 0 keeps the model's healthy bandwidth
};

// By how much (volts at the input connector) the trigger level must lie inside the signal's
// swing, above its low and below its high, for the scope to trigger.
struct ScopeTriggerSensitivity {
  double ch1 = 0.1;
  double ch2 = 0.1;
  double ext = 0.03;  // at the EXT TRIG connector; the divide-by-10 path needs ten times this
};

struct ScopeConfig {
  std::string model = "TDS 340";  // the text in the ID answer; unknown texts use TDS 340 physics
  std::string firmware = "1.04";
  std::array<ScopeChannelConfig, 2> channels{};
  double timeBasePpm = 6;  // the scope's clock runs fast by this much
  ScopeTriggerSensitivity triggerSensitivity{};
  int selfCalResult = 0;  // the answer to *CAL?: 0 pass, 1 fail
  std::vector<std::string> errorLog;
  double noiseDivisions = 0.03;  // rms trace noise in sample mode, in screen divisions
  uint64_t seed = 1;
  // How long the scope stays busy (on the clock handed to SimScope, if any). The signal path
  // compensation takes minutes, as on the real scope: far beyond a read's usual timeout.
  double selfCalSeconds = 150;
  double factorySeconds = 2;
  double resetSeconds = 0.5;
};

// Healthy analog behaviour per model: -3 dB points above the nominal bandwidths that the
// verification checks (nominal at 2 mV/div is lower on the faster models).
struct ScopeModelData {
  std::string_view name;
  double nominalBandwidthHz;
  double bandwidthHz;         // healthy -3 dB point, 5 mV/div and up
  double bandwidth2mVHz;      // healthy -3 dB point at 2 mV/div
  double extBandwidthHz;      // external trigger path
  double minSecondsPerDiv;    // fastest main time base
};

// The model row for a model text: exact name, else the longest name the text starts with
// ("TDS 310A" uses TDS 310), else TDS 340.
const ScopeModelData& ScopeModelFor(std::string_view model);
bool IsSupportedScopeModel(std::string_view model);
std::vector<std::string> SupportedScopeModels();

// A healthy scope of the model (any model text is accepted, see ScopeModelFor).
ScopeConfig HealthyScopeConfig(std::string_view model, uint64_t seed = 1);

}  // namespace veridane::sim
