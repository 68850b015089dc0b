#pragma once
// What differs between the supported levelled sine generators: command texts, level limits
// and the attenuator ladder. One row per family, looked up by the model code.
#include <cstdint>
#include <span>
#include <string_view>

namespace veridane {

// One step of the attenuator ladder: a test level within 2 % of `nominal` V p-p is made as a
// generator level from compensation row `row`, divided down by `ratio`.
struct AttenuationStep {
  float nominal;
  float ratio;
  int row;
};

enum class SGFamily { SME, SG5030, Fluke606x };

struct SGModelInfo {
  SGFamily family;
  // Command pieces: amplitude prefix/suffix, frequency prefix/suffix, output on/off.
  std::string_view amplitudePrefix;
  std::string_view amplitudeSuffix;
  bool amplitudeIsRms;  // the amplitude part carries the RMS value, else peak-to-peak
  std::string_view frequencyPrefix;
  std::string_view frequencySuffix;
  std::string_view outputOn;
  std::string_view outputOff;
  // Level limit: p-p volts, or RMS volts when limitIsRms.
  float levelLimit;
  bool limitIsRms;
  int compPairs;  // pairs in its compensation file
  std::span<const AttenuationStep> ladder;
};

// Null for a code that belongs to no supported generator.
const SGModelInfo* FindSGModel(int16_t sgModel);

}  // namespace veridane
