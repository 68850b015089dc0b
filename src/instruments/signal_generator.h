#pragma once
// The levelled sine generator with the AT 5010 attenuator in its output path. Without a
// generator on the bus every setting becomes a prompt to the technician.
#include <cstdint>
#include <filesystem>
#include <string>

#include "instruments/comp_data.h"
#include "instruments/instrument_roles.h"
#include "instruments/run_flags.h"

namespace veridane {

class GpibBus;
class Operator;
struct SGModelInfo;

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

  // F in MHz: > 0 set it (compensated Auto path allowed), < 0 set |F| directly, 0 keep it.
  // A in V p-p: < 0 |A| with an OK-only prompt, >= 10 means RMS A - 10 (direct path),
  // 0 keeps the last amplitude. SetSG(0, 0) forgets the last values and sends nothing.
  // Cancelled when the technician cancelled the prompt that asked for the setting.
  Setting SetSG(float F, float A);
  // Without a generator: a prompt worded for reading the amplitude off the scope.
  Setting SetSGOnScope(float F, float A);
  void SGOutput(bool on);
  void SGReset();
  void SetAttenuator(int16_t handle, float ratio);
  void InitModule(int16_t handle);

  CompTable compTable{};
  SGState state;

 private:
  void ParameterMismatch(float fHz, float amplitude);
  Setting PromptOperator(bool keepFreq, float fHz, bool keepAmpl, float pp, float rms, bool okOnly);
  const SGModelInfo* Model() const;

  GpibBus& bus_;
  Operator& op_;
  const InstrumentRoles& roles_;
  const Automation& autoMode_;
  std::filesystem::path folder_;
};

}  // namespace veridane
