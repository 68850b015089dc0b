#pragma once
// What a lab's register states about one function of a reference standard: the uncertainty of
// the values it sets, as its calibration certificate or its maker's published accuracy gives it.
#include <optional>
#include <string>

namespace veridane {

// The functions a standard serves in a verification.
enum class StandardFunction { DcVoltage, AcAmplitude, Frequency, TimeMarks, Attenuation };

struct UncertaintyFigure {
  StandardFunction function = StandardFunction::DcVoltage;
  // For AC amplitude: the frequency band (Hz) the figures hold for; absent means every frequency.
  std::optional<double> bandLowHz;
  std::optional<double> bandHighHz;
  double percentOfValue = 0;  // ± % of the value set
  double absolute = 0;        // ± in the function's unit (V, V, Hz, s, dB)
  // An expanded uncertainty with this coverage factor (a certificate's figure) ...
  double coverageFactor = 2;
  // ... or a published limit: a rectangular distribution, standard uncertainty = limit / √3.
  bool publishedLimit = false;
};

}  // namespace veridane
