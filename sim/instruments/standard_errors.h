#pragma once
// The true errors of the simulated standards. A real calibrator is never exactly on its
// setting; how far off it may be is what its certificate states. Here each setting draws its
// error from a seeded normal distribution whose spread is exactly what the simulated
// register states (the figure at coverage factor 2), so the program's uncertainty budgets can
// be checked against the truth. Off unless a bench asks for it: every shipped bench keeps its
// exact standards and its tables.
#include <cstdint>
#include <optional>

namespace veridane::sim {

// ±(percent of value + absolute) at coverage factor k: a standard deviation of that over k.
struct StandardErrorFigures {
  double percentOfValue = 0;
  double absolute = 0;
  double coverageFactor = 2;
};

// What the simulated register (sim/standards/standards.toml) states for the simulated
// standards, function by function; a test holds the two together.
inline constexpr StandardErrorFigures kSimCalibratorDcVolts{0.02, 50e-6, 2};   // V
inline constexpr StandardErrorFigures kSimGeneratorAmplitude{1.5, 0, 2};       // V p-p, SG 5030
inline constexpr StandardErrorFigures kSimSmeAmplitude{5.9, 0, 2};             // V p-p, SME
inline constexpr StandardErrorFigures kSimFlukeGeneratorAmplitude{6, 0, 2};    // V p-p, Fluke 6060
inline constexpr StandardErrorFigures kSimTimeMarkPeriod{1e-4, 0, 2};          // s (1 ppm)

class StandardErrors {
 public:
  StandardErrors() = default;  // off: every draw is 0
  StandardErrors(uint64_t seed, StandardErrorFigures figures) : seed_(seed), figures_(figures) {}

  bool On() const { return seed_.has_value(); }
  // The true error of a new setting to this value, in the value's unit: the next draw of the
  // seeded sequence.
  double Draw(double value);
  // The standard deviation the draws of a value have.
  double Sigma(double value) const;

 private:
  std::optional<uint64_t> seed_;
  StandardErrorFigures figures_{};
  uint64_t draws_ = 0;
};

}  // namespace veridane::sim
