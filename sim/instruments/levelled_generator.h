#pragma once
// The levelled sine-wave generators: Tektronix SG 5030, Rohde & Schwarz SME02/03/06 and the
// Fluke 6060 family. The models differ in identification, limits, flatness and command
// language; the first three are a row of the model table, the language is a subclass.
//
// The level is the peak-to-peak voltage into 50 ohm as set. What leaves the connector is that
// level times the model's flatness at the frequency: the error the compensation file corrects.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/instruments/instrument_device.h"
#include "sim/instruments/signal_source.h"
#include "sim/instruments/standard_errors.h"

namespace veridane::sim {

enum class GeneratorLanguage { Tm5000, Scpi, Fluke };

struct GeneratorModel {
  std::string name;     // bench-file name: "SG 5030", "SME03", "Fluke 6061"
  int code = 0;         // the program's model code: 5030, 3000, 6061
  GeneratorLanguage language = GeneratorLanguage::Tm5000;
  std::string idReply;  // answer to the identification query
  double minHz = 0, maxHz = 0;
  double minVpp = 0, maxVpp = 0;
  // Output = level * (1 + flatness1 * f + flatness2 * f^2), f in GHz.
  double flatness1 = 0, flatness2 = 0;
};

const std::vector<GeneratorModel>& GeneratorModels();
// By bench-file name, case-insensitive, blanks ignored ("sme03", "SG5030"); nullptr if unknown.
const GeneratorModel* FindGeneratorModel(std::string_view name);

class LevelledGenerator : public InstrumentDevice, public SignalSource {
 public:
  explicit LevelledGenerator(GeneratorModel model);

  const GeneratorModel& Model() const { return model_; }
  double FrequencyHz() const { return frequencyHz_; }
  double LevelVpp() const { return levelVpp_; }
  bool OutputOn() const { return outputOn_; }
  // The connector's level over the set level at a frequency.
  double Flatness(double hz) const;

  // Front-panel settings. Out of range: false and the setting is kept.
  bool SetFrequency(double hz);
  bool SetLevelVpp(double vpp);
  void SetOutput(bool on) { outputOn_ = on; }
  // Every level or frequency set from now on leaves the connector with a true amplitude error
  // drawn from these, relative to the level (off by default).
  void SetStandardErrors(StandardErrors errors) { errors_ = errors; }
  // Power-on state: output off, lowest useful level, 50 kHz.
  virtual void Preset();

  Signal Output() const override;

 protected:
  // The frequency of the signal leaving the generator (the SG 5030's reference switch may
  // override the set frequency).
  virtual double OutputHz() const { return frequencyHz_; }
  bool SetFrequencyChecked(double hz);  // records a command error when out of range
  bool SetLevelChecked(double vpp);

 private:
  GeneratorModel model_;
  double frequencyHz_ = 50e3;
  double levelVpp_ = 0.01;
  bool outputOn_ = false;
  StandardErrors errors_;
  double relativeError_ = 0;  // of the setting made last
};

// A generator of the model's language.
std::unique_ptr<LevelledGenerator> MakeGenerator(const GeneratorModel& model);

// Peak-to-peak and RMS of a sine.
double RmsFromVpp(double vpp);
double VppFromRms(double rms);
// RMS volts into 50 ohm and dBm.
double RmsFromDbm(double dbm);
double DbmFromRms(double rms);

}  // namespace veridane::sim
