#pragma once
// The command languages of the levelled generators.
#include <deque>
#include <string>

#include "sim/instruments/levelled_generator.h"

namespace veridane::sim {

// Tektronix TM 5000 style (SG 5030): "AMPL 3;FRE 5E+07;OUT ON", "REFREQ OFF", "INIT", "ID?".
class Sg5030 : public LevelledGenerator {
 public:
  using LevelledGenerator::LevelledGenerator;
  // REFREQ ON switches the output to the 50 kHz reference frequency.
  bool ReferenceOn() const { return reference_; }
  void Preset() override;

 protected:
  void Execute(std::string_view message) override;
  double OutputHz() const override { return reference_ ? 50e3 : FrequencyHz(); }

 private:
  bool reference_ = false;
};

// SCPI (R&S SME): "*RST", "UNIT:POW V", "POW 10 mV;FREQ 1E6", "OUTP ON", "*IDN?",
// "SYST:ERR?". Levels are RMS volts or dBm into 50 ohm.
class RsSme : public LevelledGenerator {
 public:
  using LevelledGenerator::LevelledGenerator;
  enum class PowerUnit { Dbm, Volt, DbMicrovolt };
  PowerUnit Unit() const { return unit_; }
  void Preset() override;

 protected:
  void Execute(std::string_view message) override;

 private:
  void Error(int code, const std::string& text);
  PowerUnit unit_ = PowerUnit::Dbm;
  std::deque<std::string> errors_;
};

// Fluke 6060 family: two-letter codes with values, "AP .35V;FR 5E+07HZ;RO1", "CL",
// "AP10MV;FR1MZ;RO0", "ID?" / "ID??". Levels are RMS volts or dBm into 50 ohm.
class Fluke606x : public LevelledGenerator {
 public:
  using LevelledGenerator::LevelledGenerator;

 protected:
  void Execute(std::string_view message) override;
};

}  // namespace veridane::sim
