#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "test/support/scope_fixture.h"

namespace veridane::sim {
namespace {

using testing::ScopeBench;

constexpr double kImpossible = 9.9e37;

// "0.12", "-2.00": two decimals, as the cursor scan writes its positions.
std::string TwoDecimals(float value) {
  long hundredths = std::lround(static_cast<double>(value) * 100);
  std::string sign = hundredths < 0 ? "-" : " ";
  hundredths = std::labs(hundredths);
  std::string fraction = std::to_string(hundredths % 100);
  if (fraction.size() < 2) fraction = "0" + fraction;
  return sign + std::to_string(hundredths / 100) + "." + fraction;
}

// The delayed-time-base cursor scan of the sample-rate verification; the crossing in us.
float ScanMarkerEdge(ScopeBench& bench) {
  bench.Write("HEAD 0");
  bench.Write("CH1:SCA .2;POS -2.5");
  bench.Write("HOR:MAI:SCA 2.5E-3");
  bench.Write("TRIG:MAI:LEV .5");
  bench.Write("HOR:MAI:SCA 1E-3");
  bench.Write("HOR:TRIG:POS 25");
  bench.Write("HOR:POS 25");
  bench.Write("CURS:FUNC PAI;VBA:POSITION1 0;POSITION2 0;SELECT CURSOR2");
  bench.Write("HOR:MOD DELAYE;DEL:SCA 5E-7");
  bench.Write("HOR:DEL:TIM 1E-2");
  bench.Write("ACQ:MOD AVE;NUMAV 16");
  bench.Write("ACQ:STATE OFF");
  double high = bench.Number("MEASU:IMM:TYP HIGH;VAL?");
  double low = bench.Number("MEASU:IMM:TYP LOW;VAL?");
  double mid = (high + low) * 0.5;
  auto reaches = [&](float x) {
    bench.Write("CURS:VBA:POSITION2 " + TwoDecimals(x) + "E-6");
    return bench.Number("CURSOR:PAI:HPOS2?") >= mid;
  };
  float x = -2.0f;
  while (x <= 2.2f + 1e-4f && !reaches(x)) x += 0.2f;
  float y = x - 0.2f;
  while (y <= 2.0f + 1e-4f && !reaches(y)) y += 0.01f;
  return y;
}

TEST(ScopePhysics, SineReadsItsAmplitudeAndFrequency) {
  ScopeBench bench;
  bench.Apply(ScopeInput::Ch1, ScopeBench::Sine(3.0, 50e3));
  bench.Write("HEAD 0;CH1:SCA .5;:HOR:MAI:SCA 10E-6;:ACQ:MODE AVE;NUMAV 16;:MEASU:METH MINM");
  EXPECT_NEAR(bench.Number("MEASU:IMM:TYP PK2;SOU CH1;:MEASU:IMM:VAL?"), 3.0, 0.06);
  EXPECT_NEAR(bench.Number("MEASU:IMM:TYP AMPL;VAL?"), 3.0, 0.06);
  EXPECT_NEAR(bench.Number("MEASU:IMM:TYP HIGH;VAL?"), 1.5, 0.04);
  EXPECT_NEAR(bench.Number("MEASU:IMM:TYP LOW;VAL?"), -1.5, 0.04);
  EXPECT_NEAR(bench.Number("MEASU:IMM:TYP MEAN;VAL?"), 0, 0.02);
  EXPECT_NEAR(bench.Number("MEASU:IMM:TYP RMS;VAL?"), 3.0 / 2 / std::sqrt(2.0), 0.03);
  EXPECT_NEAR(bench.Number("MEASU:IMM:TYP FREQ;VAL?"), 50e3, 2);
  EXPECT_NEAR(bench.Number("MEASU:IMM:TYP PERI;VAL?"), 20e-6, 1e-9);

  // Less than one period on screen: no frequency.
  bench.Write("HOR:MAI:SCA 1E-6");
  EXPECT_EQ(bench.Number("MEASU:IMM:TYP FREQ;VAL?"), kImpossible);
  // MEAS1 reads the same through its own slot.
  bench.Write("HOR:MAI:SCA 10E-6;:MEASU:MEAS1:TYP PK2;SOURCE1 CH1;STATE 1");
  EXPECT_NEAR(bench.Number("MEASU:MEAS1:VAL?"), 3.0, 0.06);
}

TEST(ScopePhysics, AtTheChannelsBandwidthTheReadingDropsTo0707) {
  ScopeConfig config = HealthyScopeConfig("TDS 340");
  config.channels[1].bandwidthHz = 80e6;
  ScopeBench bench(config);
  bench.Write("HEAD 0;SEL:CH2 ON;:CH2:SCA .1;:ACQ:MODE AVE;NUMAV 16;:MEASU:IMM:TYP PK2;SOU CH2");
  bench.Apply(ScopeInput::Ch2, ScopeBench::Sine(0.6, 50e3));
  bench.Write("HOR:MAI:SCA 10E-6");
  double reference = bench.Number("MEASU:IMM:VAL?");
  bench.Apply(ScopeInput::Ch2, ScopeBench::Sine(0.6, 80e6));
  bench.Write("HOR:MAI:SEC 10E-9");
  double atBandwidth = bench.Number("MEASU:IMM:VAL?");
  EXPECT_NEAR(atBandwidth / reference, std::sqrt(0.5), 0.01);

  // The 20 MHz limit takes a 20 MHz sine down by 3 dB as well (on top of the channel's own
  // small loss there).
  bench.Apply(ScopeInput::Ch2, ScopeBench::Sine(0.6, 20e6));
  bench.Write("HOR:MAI:SEC 50E-9");
  double full = bench.Number("MEASU:IMM:VAL?");
  bench.Write("CH2:BAN TWE");
  EXPECT_NEAR(bench.Number("MEASU:IMM:VAL?") / full, std::sqrt(0.5), 0.01);
}

TEST(ScopePhysics, OffsetErrorShowsInTheMean) {
  ScopeConfig config = HealthyScopeConfig("TDS 320");
  config.channels[0].offsetErrorVolts = 0.005;
  ScopeBench faulty(config);
  ScopeBench healthy(HealthyScopeConfig("TDS 320"));
  for (ScopeBench* bench : {&faulty, &healthy})
    bench->Write("HEAD 0;CH1:SCA .002;:MEASU:MEAS1:TYP MEAN;STATE ON;:MEASU:METH MINM;:ACQ:MOD AVE");
  EXPECT_NEAR(faulty.Number("MEASU:MEAS1:VAL?"), 0.005, 0.0005);
  EXPECT_LT(std::fabs(healthy.Number("MEASU:MEAS1:VAL?")), 0.0005);
  // Grounded input: the error is in the scope, not the signal.
  faulty.Apply(ScopeInput::Ch1, ScopeBench::Dc(0.3));
  faulty.Write("CH1:COUP GND");
  EXPECT_NEAR(faulty.Number("MEASU:MEAS1:VAL?"), 0.005, 0.0005);
}

TEST(ScopePhysics, TraceOffScreenCannotBeMeasured) {
  ScopeBench bench;
  bench.Apply(ScopeInput::Ch1, ScopeBench::Dc(1.0));
  bench.Write("HEAD 0;MEASU:IMM:TYP MEAN;SOU CH1");
  bench.Write("CH1:SCA .5");
  EXPECT_NEAR(bench.Number("MEASU:IMM:VAL?"), 1.0, 0.03);
  bench.Write("CH1:SCA .002");
  EXPECT_EQ(bench.Ask("MEASU:IMM:VAL?"), "9.9E37");
  // Offset brings it back: 1 V seen around a 1 V offset.
  bench.Write("CH1:OFFS 1");
  EXPECT_NEAR(bench.Number("MEASU:IMM:VAL?"), 1.0, 0.005);
  // Position drives it off the other way.
  bench.Write("CH1:OFFS 0;SCA .1;POS -5");
  EXPECT_NEAR(bench.Number("MEASU:IMM:VAL?"), 1.0, 0.01);
  bench.Write("CH1:POS 5");
  EXPECT_EQ(bench.Number("MEASU:IMM:VAL?"), kImpossible);
  // A channel that is not shown is not acquired.
  bench.Write("MEASU:IMM:SOU CH2");
  EXPECT_EQ(bench.Number("MEASU:IMM:VAL?"), kImpossible);
  // A DC level has no frequency.
  bench.Write("MEASU:IMM:SOU CH1;TYP FREQ;:CH1:POS 0");
  EXPECT_EQ(bench.Number("MEASU:IMM:VAL?"), kImpossible);
}

TEST(ScopePhysics, AveragingReducesNoiseAndReadingsRepeatWithTheSeed) {
  ScopeConfig config = HealthyScopeConfig("TDS 340", 7);
  config.noiseDivisions = 0.2;
  ScopeBench bench(config), twin(config);
  for (ScopeBench* b : {&bench, &twin}) b->Write("HEAD 0;CH1:SCA .01;:MEASU:IMM:TYP PK2");
  double sampled = bench.Number("MEASU:IMM:VAL?");
  EXPECT_EQ(twin.Number("MEASU:IMM:VAL?"), sampled);
  EXPECT_NE(bench.Number("MEASU:IMM:VAL?"), sampled);  // a running acquisition: fresh noise
  bench.Write("ACQ:MODE AVE;NUMAV 64");
  double averaged = bench.Number("MEASU:IMM:VAL?");
  EXPECT_GT(sampled, 0.005);  // about six sigma of 2 mV
  EXPECT_LT(averaged, sampled / 4);
  // A stopped acquisition keeps its record.
  bench.Write("ACQ:STATE OFF");
  EXPECT_EQ(bench.Ask("MEASU:IMM:VAL?"), bench.Ask("MEASU:IMM:VAL?"));
}

TEST(ScopePhysics, TimeBaseErrorMovesTheMarkerEdgeThroughTheDelayedCursor) {
  for (double ppm : {6.0, 150.0, -82.0, 35.0}) {
    ScopeConfig config = HealthyScopeConfig("TDS 360");
    config.timeBasePpm = ppm;
    ScopeBench bench(config);
    bench.Apply(ScopeInput::Ch1, ScopeBench::Marks(10e-3));
    float y = ScanMarkerEdge(bench);
    EXPECT_NEAR(y, ppm / 100, 0.001) << ppm;
  }
  // A time base too far off puts the edge outside the window: only a flat trace is left,
  // and the scan stops wherever the noise crosses its middle.
  ScopeConfig config = HealthyScopeConfig("TDS 360");
  config.timeBasePpm = 300;
  ScopeBench bench(config);
  bench.Apply(ScopeInput::Ch1, ScopeBench::Marks(10e-3));
  EXPECT_GT(std::fabs(ScanMarkerEdge(bench)), 1.0f);
}

TEST(ScopePhysics, TriggerStateAroundTheSensitivity) {
  ScopeConfig config = HealthyScopeConfig("TDS 340");
  config.triggerSensitivity.ch2 = 0.2;
  ScopeBench bench(config);
  bench.Apply(ScopeInput::Ch1, ScopeBench::Sine(0.5, 1e6));
  bench.Apply(ScopeInput::Ch2, ScopeBench::Sine(0.5, 1e6));
  bench.Write("HEAD 0;TRIG:MAI:MOD NORM;:CH1:SCA .5");
  for (auto [level, state] : std::vector<std::pair<const char*, const char*>>{
           {"0", "TRIGGER"}, {" 140E-3", "TRIGGER"}, {"-140E-3", "TRIGGER"}, {" 160E-3", "READY"},
           {"-160E-3", "READY"}, {" 300E-3", "READY"}}) {
    bench.Write(std::string("TRIG:MAI:LEV ") + level);
    EXPECT_EQ(bench.Ask("TRIG:STATE?"), state) << level;
  }
  // CH2 is less sensitive: the same swing triggers only near its middle.
  bench.Write("SEL:CH1 OFF;CH2 ON;:TRIG:MAI:EDGE:SOU CH2;:TRIG:MAI:LEV 100E-3");
  EXPECT_EQ(bench.Ask("TRIG:STATE?"), "READY");
  bench.Write("TRIG:MAI:LEV 0");
  EXPECT_EQ(bench.Ask("TRIG:STATE?"), "TRIGGER");

  // The external input through its divider needs ten times the swing.
  bench.Apply(ScopeInput::ExtTrig, ScopeBench::Sine(1.5, 1e6));
  bench.Write("TRIG:MAI:EDGE:SOU EXT10;:TRIG:MAI:LEV 400E-3");
  EXPECT_EQ(bench.Ask("TRIG:STATE?"), "TRIGGER");
  bench.Write("TRIG:MAI:LEV 500E-3");
  EXPECT_EQ(bench.Ask("TRIG:STATE?"), "READY");
  bench.Write("TRIG:MAI:EDGE:SOU EXT");
  EXPECT_EQ(bench.Ask("TRIG:STATE?"), "TRIGGER");

  // Auto mode runs untriggered; a stopped acquisition reports SAVE.
  bench.Write("TRIG:MAI:MOD AUTO;:TRIG:MAI:LEV 2");
  EXPECT_EQ(bench.Ask("TRIG:STATE?"), "AUTO");
  bench.Write("ACQ:STATE OFF");
  EXPECT_EQ(bench.Ask("TRIG:STATE?"), "SAVE");
}

TEST(ScopePhysics, SetLevelPutsTheTriggerHalfwayThroughTheSwing) {
  ScopeBench bench;
  bench.Apply(ScopeInput::Ch1, ScopeBench::Sine(1.0, 1e3, 0.4));
  bench.Write("HEAD 0;TRIG:MAI SETL");
  EXPECT_NEAR(bench.Number("TRIG:MAI:LEV?"), 0.4, 0.005);
  bench.Write("TRIG:MAI:EDGE:COUP AC;:TRIG:MAI SETL");
  EXPECT_NEAR(bench.Number("TRIG:MAI:LEV?"), 0, 1e-9);
  bench.Write("TRIG FORCE");
  EXPECT_EQ(bench.Ask("*ESR?"), "128");  // only the power-on bit: FORCE was understood
}

}  // namespace
}  // namespace veridane::sim
