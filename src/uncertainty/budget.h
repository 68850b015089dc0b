#pragma once
// The uncertainty budget of one verification step, after the GUM: each contribution as a
// standard uncertainty (a certificate's expanded figure over its coverage factor, a
// published limit or a resolution over √3, the spread of repeated readings over √N),
// combined by root sum of squares and expanded with k = 2. A step whose reference standard has
// no figure for the function it serves has no budget: its uncertainty is "not stated".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uncertainty/uncertainty_figure.h"

namespace veridane {

inline constexpr double kExpandedCoverageFactor = 2;

// What a standard was set to for a step: a function and its value (V, V, Hz, s, dB), and for AC
// amplitude the frequency, which picks the register's band.
struct StandardSetting {
  StandardFunction function = StandardFunction::DcVoltage;
  double value = 0;
  std::optional<double> frequencyHz{};
  // How much of the standard's error reaches the reading (the GUM's sensitivity coefficient):
  // a scope reading an amplitude at its -3 dB point sees 0.7 of the generator's error.
  double sensitivity = 1;
};

// The attenuator a generator's signal passes on its way to the scope, set to `ratio` (below 1:
// not set since its reset, which leaves it at 1), as a standard setting of a step at
// `frequencyHz` whose reading is `volts`: its value in dB, and as sensitivity how far the
// reading moves per dB of error (volts × ln 10 / 20).
StandardSetting AttenuatorSetting(double ratio, double frequencyHz, double volts);

// The readings a step judged: the scope's replies as sent, in order. Their mean is the
// measured value; their resolution and spread enter the budget.
struct StepReadings {
  std::vector<std::string> replies;
  // A reading not taken from a reply (a cursor walked to an edge): how far the truth may lie
  // from it, taken as a rectangular half width.
  std::optional<double> halfWidth{};
};

enum class Distribution { Normal, Rectangular };

struct Contribution {
  std::string source;  // "Reference standard: DC voltage -990 mV", "Reading resolution", ...
  Distribution distribution = Distribution::Normal;
  double divisor = 1;     // the figure over this is the standard uncertainty
  double figure = 0;      // the register's ± amount, the half digit, the standard deviation
  double sensitivity = 1;  // c_i
  double standard = 0;     // |c_i| × figure / divisor: standard uncertainty in the step's unit
  std::string figureUnit;  // the figure's unit where it is not the step's (an attenuator's dB)
};

struct StepBudget {
  std::vector<Contribution> contributions;
  // Absent when the budget is "not stated"; then `missing` names what the register lacks.
  std::optional<double> combined;   // u_c
  std::optional<double> expanded;   // U = k u_c
  std::string missing;
  bool Stated() const { return expanded.has_value(); }
};

// The register's entry for a setting: a banded entry whose band holds the frequency before an
// entry for every frequency; null when there is none.
const UncertaintyFigure* FindFigure(const std::vector<UncertaintyFigure>& figures, const StandardSetting& setting);

// The ± amount a register entry states for a value: |value| × % + absolute.
double StatedAmount(const UncertaintyFigure& figure, double value);

// Half the last digit of a numeric reply ("-9.9123E-1" -> 5E-6, "12" -> 0.5); absent for a
// reply that is no number.
std::optional<double> HalfLastDigit(std::string_view reply);

// The arithmetic mean of the replies' values and the standard deviation of that mean (absent
// for fewer than two readings).
struct ReadingStatistics {
  double mean = 0;
  std::optional<double> deviationOfMean;
};
ReadingStatistics StatisticsOf(const StepReadings& readings);

// The budget of a step from the standards' register entries, the settings the step used
// (several when it compares readings made at different settings) and the readings it judged.
// A step with no setting, or with one the register states nothing for, is not stated.
StepBudget BudgetOf(const std::vector<UncertaintyFigure>& figures, const std::vector<StandardSetting>& settings,
                    const std::vector<StepReadings>& readings);

// "DC voltage", "AC amplitude", "frequency", "time marks", "attenuation".
std::string_view FunctionName(StandardFunction function);
// The unit of a function's values: "V", "V", "Hz", "s", "dB".
std::string_view FunctionUnit(StandardFunction function);

}  // namespace veridane
