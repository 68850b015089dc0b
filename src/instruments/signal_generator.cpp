#include "instruments/signal_generator.h"

#include <cmath>

#include "instruments/prompt_value.h"
#include "instruments/sg_models.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/numbers.h"
#include "platform/operator.h"
#include "platform/text8.h"
#include "report/format.h"

namespace veridane {

namespace {

// Conversions between p-p and RMS are worked in double and stored single, so that the level
// sent reads the same as the one the technician asked for (0.6 V p-p is .212132 V rms).
const double kTwoRootTwo = 2.0 * std::sqrt(2.0);

float RmsFromPeakToPeak(float pp) { return static_cast<float>(pp / kTwoRootTwo); }
float PeakToPeakFromRms(float rms) { return static_cast<float>(rms * kTwoRootTwo); }

// A run-time failure inside SetSG: reported as a parameter mismatch.
struct SetSGFailure {};

bool InWindow(float level, float nominal) {
  double l = level;
  double n = nominal;
  return l >= 0.98 * n && l <= 1.02 * n;
}

}  // namespace

SignalGenerator::SignalGenerator(GpibBus& bus, Operator& op, const InstrumentRoles& roles, const Automation& autoMode,
                                 std::filesystem::path instrumentDataFolder)
    : bus_(bus), op_(op), roles_(roles), autoMode_(autoMode), folder_(std::move(instrumentDataFolder)) {}

const SGModelInfo* SignalGenerator::Model() const { return FindSGModel(roles_.SGModel); }

bool SignalGenerator::LoadCompData() {
  const SGModelInfo* model = Model();
  int pairs = model != nullptr ? model->compPairs : 22;
  std::string problem;
  switch (ReadCompFile(CompFilePath(folder_, roles_.SGName), pairs, compTable, &problem)) {
    case CompFileError::None:
      state.compError.clear();
      return true;
    case CompFileError::NotFound:
      state.compError = "Comp data file for " + roles_.SGName + " not found.";
      break;
    case CompFileError::Corrupt:
      state.compError = "Corrupt or faulty Comp data file for " + roles_.SGName + ".";
      break;
    case CompFileError::Other:
      state.compError = problem.empty() ? "Unknown error" : problem;
      break;
  }
  std::string text = state.compError + "\nAuto mode for Bandwidth test disabled.\n\nCancel terminates this application.";
  if (op_.ShowMessBox(text, kOkCancel + kCritical, "SG Comp file error") == kCancel) op_.EndProgram();
  return false;
}

void SignalGenerator::ParameterMismatch(float fHz, const SignalSetting& setting) {
  // The message quotes the level as the setting was coded: an RMS level 10 above its volts.
  const float coded = setting.level == SignalSetting::Level::Keep  ? 0.0f
                      : setting.level == SignalSetting::Level::Rms ? setting.volts + 10
                                                                   : setting.volts;
  op_.ShowMessBox(PlainText(fHz) + "," + PlainText(std::fabs(coded)) + "\n\nCorrect problem and restart.", kCritical,
                  "SetSG Parameter mismatch");
  op_.EndProgram();
}

void SignalGenerator::ForgetLastSetting() {
  state.lastAttenuation = 0;
  state.lastAmplitude = 0;
}

Setting SignalGenerator::SetSG(const SignalSetting& setting) {
  const bool keepFreq = !setting.megahertz;
  const bool keepAmpl = setting.level == SignalSetting::Level::Keep;
  const bool rmsLevel = setting.level == SignalSetting::Level::Rms;
  const bool okOnly = setting.okOnly;
  const float FM = setting.megahertz.value_or(0);
  const float fHz = keepFreq ? 0.0f : FM * 1000000.0f;
  const float A = keepAmpl ? 0.0f : setting.volts;
  // Only a new frequency may take the compensated path; a level above 10 V never does.
  const bool autoPath =
      autoMode_ == Automation::Full && !keepFreq && !setting.direct && !rmsLevel && !(A > 10);

  if (keepAmpl && state.lastAmplitude == 0) {
    op_.ShowMessBox("No previous value found !", kCritical, "No Amplitude change ERROR");
    op_.EndProgram();
  }

  try {
    float pp = 0;
    float rms = 0;
    float ratio = 1;
    if (autoPath) {
      float band = FM <= 0.1f ? -1 : std::nearbyint(FM / 49.99999f);
      if (!(band <= 20)) throw SetSGFailure{};  // beyond the table
      int index = static_cast<int>(band) + 1;
      // A shorter file (the SG 5030's ends at 500 MHz) holds its last pair above its end: an
      // entry it never filled would set the generator to nothing.
      if (const SGModelInfo* model = Model(); model != nullptr && index >= model->compPairs)
        index = model->compPairs - 1;
      if (!keepAmpl) state.lastAmplitude = A;
      float level = state.lastAmplitude;
      int row = 0;
      float scale = 1;
      bool stepped = false;
      if (const SGModelInfo* model = Model()) {
        for (const AttenuationStep& step : model->ladder) {
          if (InWindow(level, step.nominal)) {
            ratio = step.ratio;
            row = step.row;
            stepped = true;
            break;
          }
        }
      }
      // Between the ladder's levels the levelled output is scaled, undivided.
      if (!stepped) scale = level / compTable[0][0];
      pp = scale * compTable[row][index];
      rms = RmsFromPeakToPeak(pp);
    } else {
      if (!keepAmpl) {
        if (rmsLevel) {
          rms = A;
          pp = PeakToPeakFromRms(rms);
        } else {
          pp = A;
          rms = RmsFromPeakToPeak(A);
        }
        state.lastAmplitude = pp;
      }
      ratio = 1;
    }
    // A level that is not a number (a zero table entry divided by) must never reach a generator.
    if (!std::isfinite(pp) || !std::isfinite(rms)) throw SetSGFailure{};

    if (roles_.SGDevice == 0) return PromptOperator(keepFreq, fHz, keepAmpl, pp, rms, okOnly);

    const SGModelInfo* model = Model();
    if (model == nullptr) throw SetSGFailure{};
    if ((model->limitIsRms ? rms : pp) > model->levelLimit) throw SetSGFailure{};

    std::string command;
    if (!keepAmpl || autoPath) {
      command += std::string(model->amplitudePrefix) + PlainText(model->amplitudeIsRms ? rms : pp) +
                 std::string(model->amplitudeSuffix);
    }
    if (!keepFreq) command += std::string(model->frequencyPrefix) + PlainText(fHz) + std::string(model->frequencySuffix);
    command += model->outputOn;

    if (ratio != state.lastAttenuation) {
      // The output goes off while the attenuator relays switch; the command below turns it on.
      bus_.GpibWrite(roles_.SGDevice, model->outputOff);
      bus_.Wait(std::chrono::milliseconds(500));
      SetAttenuator(roles_.AttenuatorDevice, ratio);
      state.lastAttenuation = ratio;
    }
    bus_.GpibWrite(roles_.SGDevice, command);
    bus_.ibloc(roles_.SGDevice);
  } catch (const SetSGFailure&) {
    ParameterMismatch(fHz, setting);
  }
  return Setting::Made;
}

Setting SignalGenerator::PromptOperator(bool keepFreq, float fHz, bool keepAmpl, float pp, float rms, bool okOnly) {
  std::string text = keepFreq ? "Dont Change the Frequency." : "Frequency: " + FormatWithPoint(fHz, "Hz", 0);
  text += '\n';
  if (keepAmpl) {
    text += "Don't Change the Amplitude.";
  } else {
    text += "Amplitude:  " + FormatWithPoint(pp, "V pp", 104) + " (" + Trim(FormatWithPoint(rms, "V rms", 104)) + ")";
  }
  const BoxStyle style = okOnly ? BoxStyle(kExclamation) : kOkCancel + kExclamation;
  return op_.ShowMessBox(text, style, "Set the " + roles_.SGName) == kCancel ? Setting::Cancelled : Setting::Made;
}

Setting SignalGenerator::SetSGOnScope(const SignalSetting& setting) {
  if (setting.level == SignalSetting::Level::PeakToPeak && !setting.okOnly && roles_.SGDevice == 0) {
    std::string text = setting.megahertz ? "Frequency: " + FormatValue(*setting.megahertz * 1000000.0f, "Hz", 1.1f) + "\n"
                                         : std::string("Don't change the Frequency.\n");
    text += "Amplitude:  " + FormatValue(setting.volts, "V pp", 104) + " as seen on the scope.";
    return op_.ShowMessBox(text, kOkCancel + kExclamation, "Set the " + roles_.SGName) == kCancel ? Setting::Cancelled
                                                                                                  : Setting::Made;
  }
  return SetSG(setting);
}

void SignalGenerator::SGOutput(bool on) {
  const SGModelInfo* model = Model();
  if (roles_.SGDevice == 0 || model == nullptr) return;
  bus_.GpibWrite(roles_.SGDevice, on ? model->outputOn : model->outputOff);
  bus_.Wait(std::chrono::milliseconds(500));
}

void SignalGenerator::SGReset() {
  if (roles_.SGDevice == 0) {
    SetSG(SignalSetting::Both(0.05f, 0.01f).OkOnly());
    return;
  }
  SGOutput(false);
  if (const SGModelInfo* model = Model()) {
    switch (model->family) {
      case SGFamily::SME:
        bus_.GpibWrite(roles_.SGDevice, "*RST");
        bus_.GpibWrite(roles_.SGDevice, "UNIT:POW V");
        bus_.GpibWrite(roles_.SGDevice, "POW 10 mV;FREQ 1E6");
        break;
      case SGFamily::SG5030:
        bus_.GpibWrite(roles_.SGDevice, "REFREQ OFF;AMPL .01;FRE 1000");
        bus_.ibloc(roles_.SGDevice);
        break;
      case SGFamily::Fluke606x:
        bus_.GpibWrite(roles_.SGDevice, "CL");
        bus_.GpibWrite(roles_.SGDevice, "AP10MV;FR1MZ;RO0");
        break;
    }
  }
  ForgetLastSetting();
  InitModule(roles_.AttenuatorDevice);
}

void SignalGenerator::SetAttenuator(int16_t handle, float ratio) {
  if (handle == 0) return;
  bus_.GpibWrite(handle, "ATT " + FormatDigits(ratio, 103));
  bus_.Wait(std::chrono::milliseconds(1));
}

void SignalGenerator::InitModule(int16_t handle) {
  if (handle == 0) return;
  bus_.GpibWrite(handle, "INIT");
  bus_.ibloc(handle);
}

}  // namespace veridane
