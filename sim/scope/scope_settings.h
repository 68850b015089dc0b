#pragma once
// The front-panel state of the simulated scope: what *RST restores and the commands change.
#include <array>

namespace veridane::sim {

enum class Coupling { Ac, Dc, Gnd };
enum class AcquireMode { Sample, PeakDetect, Average, Envelope };
enum class HorizontalMode { Main, Intensified, Delayed };
enum class TriggerSource { Ch1, Ch2, Ext, Ext10, Line };
enum class TriggerCoupling { Ac, Dc, HfRej, LfRej, NoiseRej };
enum class MeasureType { Amplitude, Frequency, High, Low, Maximum, Mean, Minimum, Period, Pk2Pk, Rms };
enum class MeasureMethod { Histogram, MinMax };
enum class CursorFunction { Off, HBars, VBars, Paired };
enum class Graticule { Full, Grid, Crosshair, Frame };

struct ChannelSettings {
  double scale = 0.1;     // V/div
  double offset = 0;      // V
  double position = 0;    // div
  Coupling coupling = Coupling::Dc;
  bool bandwidthLimit = false;  // the 20 MHz limit
  bool displayed = false;
};

struct AcquireSettings {
  AcquireMode mode = AcquireMode::Sample;
  int numAverages = 16;
  int numEnvelopes = 10;
  bool running = true;
  bool stopAfterSequence = false;
};

struct HorizontalSettings {
  double mainScale = 500e-6;     // s/div
  double delayedScale = 50e-6;   // s/div
  double delayTime = 0;          // s after the main trigger
  double position = 50;          // % of the record left of the screen's centre
  double triggerPosition = 50;   // % of the record before the trigger
  HorizontalMode mode = HorizontalMode::Main;
};

struct TriggerSettings {
  TriggerSource source = TriggerSource::Ch1;
  TriggerCoupling coupling = TriggerCoupling::Dc;
  bool risingSlope = true;
  double level = 0;  // V at the source's input
  bool normalMode = false;  // AUTO otherwise
};

struct MeasurementSlot {
  MeasureType type = MeasureType::Period;
  int source = 1;  // channel number
  bool state = false;
};

struct CursorSettings {
  CursorFunction function = CursorFunction::Off;
  std::array<double, 2> vbarPosition{-1e-3, 1e-3};  // s from the trigger point
  std::array<double, 2> hbarPosition{-0.3, 0.3};    // V
  int vbarSelected = 1;
  int hbarSelected = 1;
};

struct ScopeSettings {
  std::array<ChannelSettings, 2> channel{};
  int control = 1;  // the selected waveform: 1 CH1, 2 CH2
  bool math = false, ref1 = false, ref2 = false;
  AcquireSettings acquire{};
  HorizontalSettings horizontal{};
  TriggerSettings trigger{};
  MeasurementSlot immediate{};
  std::array<MeasurementSlot, 4> measurement{};
  MeasureMethod method = MeasureMethod::Histogram;
  CursorSettings cursor{};
  Graticule graticule = Graticule::Full;
};

// The state after *RST: channel 1 on at 100 mV/div, auto trigger on CH1, sample mode.
inline ScopeSettings DefaultScopeSettings() {
  ScopeSettings settings;
  settings.channel[0].displayed = true;
  return settings;
}

}  // namespace veridane::sim
