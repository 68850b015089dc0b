#pragma once
// The levelled sine generator with the AT 5010 attenuator in its output path. Without a
// generator on the bus every setting becomes a prompt to the technician.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "instruments/comp_data.h"
#include "instruments/instrument_roles.h"
#include "instruments/run_flags.h"

namespace veridane {

class GpibBus;
class Operator;
struct SGModelInfo;

// One setting of the generator: the frequency to set or keep, the level to set or keep, and
// whether the compensated Auto path (the data file's levels through the attenuator's ladder)
// may be taken.
struct SignalSetting {
  enum class Level : int8_t {
    Keep,        // the last level stays (one must have been set)
    PeakToPeak,  // volts peak-to-peak
    Rms,         // volts RMS; always set directly
  };
  std::optional<float> megahertz;  // none: the frequency stays as it is (and the level is set directly)
  Level level = Level::Keep;
  float volts = 0;
  bool direct = false;  // never the compensated path, even in full Auto
  bool okOnly = false;  // a prompt for it (no generator on the bus) offers OK alone: a hint, not a step

  static SignalSetting Frequency(float mhz) { return {mhz, Level::Keep, 0}; }
  static SignalSetting Amplitude(float vpp) { return {std::nullopt, Level::PeakToPeak, vpp}; }
  static SignalSetting Both(float mhz, float vpp) { return {mhz, Level::PeakToPeak, vpp}; }
  static SignalSetting RmsLevel(float mhz, float vrms) { return {mhz, Level::Rms, vrms}; }
  SignalSetting Direct() const {
    SignalSetting s = *this;
    s.direct = true;
    return s;
  }
  SignalSetting OkOnly() const {
    SignalSetting s = *this;
    s.okOnly = true;
    return s;
  }
};

struct SGState {
  float lastAttenuation = 0;  // ratio last sent to the attenuator; 0 = none yet
  float lastAmplitude = 0;    // V p-p of the last setting; 0 = none
  std::string compError;      // why the compensation file could not be used
};

class SignalGenerator {
 public:
  // autoMode: the run's Auto mode, read at every setting.
  SignalGenerator(GpibBus& bus, Operator& op, const InstrumentRoles& roles, const Automation& autoMode,
                  std::filesystem::path instrumentDataFolder);

  // Fills the table from "<folder>/<SGName>.dat". On failure the technician chooses between
  // Auto without compensation and ending the program: false when the data cannot be used, and
  // the caller's Auto mode goes on without it.
  bool LoadCompData();

  // Sets the generator and turns its output on, or asks the technician to when there is none.
  // Cancelled when the technician cancelled the prompt that asked for the setting.
  Setting SetSG(const SignalSetting& setting);
  // Without a generator, a peak-to-peak level is asked for as read off the scope; otherwise
  // as SetSG.
  Setting SetSGOnScope(const SignalSetting& setting);
  // Forgets the last level and attenuation (SetSG(0, 0)); sends nothing.
  void ForgetLastSetting();
  void SGOutput(bool on);
  void SGReset();
  void SetAttenuator(int16_t handle, float ratio);
  void InitModule(int16_t handle);

  CompTable compTable{};
  SGState state;

 private:
  void ParameterMismatch(float fHz, const SignalSetting& setting);
  Setting PromptOperator(bool keepFreq, float fHz, bool keepAmpl, float pp, float rms, bool okOnly);
  const SGModelInfo* Model() const;

  GpibBus& bus_;
  Operator& op_;
  const InstrumentRoles& roles_;
  const Automation& autoMode_;
  std::filesystem::path folder_;
};

}  // namespace veridane
