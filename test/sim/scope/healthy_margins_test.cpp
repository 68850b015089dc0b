// A healthy scope of every model sits inside each verification limit with margin: every row
// would be a plain PASS, none marginal, yet none absurdly perfect.
#include <gtest/gtest.h>

#include <cmath>

#include "test/support/scope_fixture.h"

namespace veridane::sim {
namespace {

using testing::ScopeBench;

class HealthyScope : public ::testing::TestWithParam<std::string> {
 protected:
  HealthyScope() : bench_(HealthyScopeConfig(GetParam(), 11)) { bench_.Write("HEAD 0"); }

  double NominalBandwidth() const { return ScopeModelFor(GetParam()).nominalBandwidthHz; }
  std::string Timebase() const {
    double mhz = NominalBandwidth() / 1e6;
    return mhz == 50 ? "25E-9" : mhz == 100 ? "10E-9" : mhz == 200 ? "5E-9" : "2.5E-9";
  }
  // The frequency reduction the bandwidth verification applies at 2 mV/div.
  double Reduction2mV() const {
    const std::string& model = GetParam();
    if (model == "TDS 350" || model == "TDS 360") return 20e6;
    if (model == "TDS 380") return 150e6;
    return 0;
  }
  static ScopeInput Input(int channel) { return channel == 1 ? ScopeInput::Ch1 : ScopeInput::Ch2; }
  static std::string Ch(int channel) { return "CH" + std::to_string(channel); }

  ScopeBench bench_;
};

TEST_P(HealthyScope, OffsetAtZeroWellInsideItsLimits) {
  const double scales[] = {0.002, 0.01, 0.1, 1, 10};
  const double limits[] = {0.0032, 0.004, 0.04, 0.4, 1.3};
  bench_.Write("DIS:GRA FRA");
  bench_.Write("MEASU:MEAS1:TYP MEAN;STATE ON");
  bench_.Write("MEASU:METH MINM");
  bench_.Write("ACQ:MOD AVE");
  for (int ch = 1; ch <= 2; ++ch) {
    if (ch == 2) bench_.Write("SEL:CH2 ON"), bench_.Write("MEASU:MEAS1:SOU CH2;STATE ON");
    for (int i = 0; i < 5; ++i) {
      bench_.Write(Ch(ch) + ":SCA" + PlainText(scales[i]));
      double reading = bench_.Number("MEASU:MEAS1:VAL?");
      EXPECT_LE(std::fabs(reading), 0.7 * limits[i]) << Ch(ch) << " " << scales[i];
    }
    if (ch == 1) bench_.Write("SEL:CH1 OFF");
  }
}

TEST_P(HealthyScope, DcVoltageWellInsideItsLimits) {
  struct Step {
    const char* setup;
    double volts, tolerance;
  };
  const Step steps[] = {{":SCA .005;OFFS -1;POS  0", -0.99, 0.008}, {":SCA .01;OFFS  0;POS -5", 0.06, 0.0054},
                        {":SCA .05;OFFS -1;POS -5", -0.9, 0.019},   {":SCA .05;OFFS -1;POS -5", -0.6, 0.019},
                        {":SCA .2;OFFS  10;POS  5", 8.4, 0.12},      {":SCA 1;OFFS  100;POS  5", 98, 0.9}};
  bench_.Write("DIS:GRA FRA");
  bench_.Write("HOR:MAI:SCA 50E-6");
  bench_.Write("TRIG:MAI:EDGE:COUP HFR");
  bench_.Write("MEASU:MEAS1:TYP MEAN;STATE ON");
  bench_.Write("MEASU:METH MINM");
  for (int ch = 1; ch <= 2; ++ch) {
    if (ch == 2) bench_.Write("SEL:CH2 ON"), bench_.Write("MEASU:MEAS1:SOU CH2;STATE ON");
    bench_.Write(Ch(ch) + ":BAN TWE");
    double readings[6];
    for (int i = 0; i < 6; ++i) {
      bench_.Write(Ch(ch) + steps[i].setup);
      bench_.Apply(Input(ch), ScopeBench::Dc(steps[i].volts));
      bench_.Write("TRIG FORCE");
      bench_.Write("ACQ:MODE AVE");
      readings[i] = bench_.Number("MEASU:MEAS1:VAL?");
      bench_.Write("ACQ:MODE SAM");
      EXPECT_LE(std::fabs(readings[i] - steps[i].volts), 0.7 * steps[i].tolerance) << Ch(ch) << " " << i;
    }
    EXPECT_LE(std::fabs(std::fabs(readings[2] - readings[3]) - 0.3), 0.7 * 0.014) << Ch(ch);
    bench_.Apply(Input(ch), Signal{});
    if (ch == 1) bench_.Write("SEL:CH1 OFF");
  }
  EXPECT_EQ(bench_.Ask("*ESR?"), "128");  // every setting was within range
}

TEST_P(HealthyScope, BandwidthAboveSeventyPercentButNotFlat) {
  bench_.Write("DIS:GRA FRA");
  bench_.Write("HOR:TRIG:POS 30");
  bench_.Write("TRIG:MAI:EDGE:COUP NOISE");
  bench_.Write("MEASU:MEAS1:TYP PK2;STATE ON");
  bench_.Write("MEASU:METH MINM");
  for (int ch = 1; ch <= 2; ++ch) {
    if (ch == 2) bench_.Write("SEL:CH2 ON"), bench_.Write("MEASU:MEAS1:SOU CH2;STATE ON");
    for (double scale : {0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0}) {
      double vpp = (scale > 0.5 ? 5 : 6) * scale;
      bench_.Write(Ch(ch) + ":SCA" + PlainText(scale));
      bench_.Write("HOR:MAI:SCA 10E-6");
      bench_.Apply(Input(ch), ScopeBench::Sine(vpp, 50e3));
      bench_.Write("ACQ:MOD AVE;NUMAV 16");
      double reference = bench_.Number("MEASU:MEAS1:VAL?");
      bench_.Write("ACQ:MOD SAM");
      bench_.Write("HOR:MAI:SEC " + Timebase());
      double frequency = NominalBandwidth() - (scale == 0.002 ? Reduction2mV() : 0);
      bench_.Apply(Input(ch), ScopeBench::Sine(vpp, frequency));
      bench_.Write("ACQ:MOD AVE;NUMAV 16");
      double measured = bench_.Number("MEASU:MEAS1:VAL?");
      bench_.Write("ACQ:MOD SAMP");
      EXPECT_NEAR(reference, vpp, 0.03 * vpp) << Ch(ch) << " " << scale;
      EXPECT_GE(measured / reference, 0.75) << Ch(ch) << " " << scale;
      EXPECT_LE(measured / reference, 0.92) << Ch(ch) << " " << scale;
    }
    if (ch == 1) bench_.Write("SEL:CH1 OFF");
  }
}

TEST_P(HealthyScope, TriggersFromBothSidesOnEverySource) {
  bench_.Write("TRIG:MAI:MOD NORM");
  bench_.Write("ACQ:NUMAV 4");
  bench_.Write("MEASU:METH MINM");
  bench_.Write("CH1:SCA .1");
  bench_.Write("CH2:SCA .1");
  bench_.Write("HOR:MAI:SEC " + Timebase());
  bench_.Write("MEASU:MEAS1:TYP PK2;SOURCE1 CH1;STATE 1");
  auto sweep = [&](double amplitude) {
    int found = 0;
    for (int side : {-1, 1}) {
      double start = side * 0.6 * amplitude * 1000;
      for (double level = start; side < 0 ? level <= -start : level >= -start; level -= side * 10) {
        bench_.Write("TRIG:MAI:LEV " + PlainText(level) + "E-3");
        if (bench_.Ask("TRIG:STATE?").find("TR") != std::string::npos) {
          // Well inside the swing, not at its very edge.
          EXPECT_LT(std::fabs(level), 0.45 * amplitude * 1000) << level;
          ++found;
          break;
        }
      }
    }
    return found;
  };
  for (int source : {1, 2}) {
    if (source == 2) {
      bench_.Write("SEL:CH1 OFF;CH2 ON");
      bench_.Write("TRIG:MAI:EDGE:SOU CH2");
      bench_.Write("MEASU:MEAS1:TYP PK2;SOURCE1 CH2;STATE 1");
    }
    bench_.Write(Ch(source) + ":SCA .5");
    bench_.Write("TRIG:MAI SETL");
    // Level the generator so that the scope reads 0.5 V p-p, as the verification does.
    double vpp = 0.5;
    for (int pass = 0; pass < 3; ++pass) {
      bench_.Apply(Input(source), ScopeBench::Sine(vpp, NominalBandwidth()));
      bench_.Write("ACQ:MODE AVE;NUMAV 16");
      vpp *= 0.5 / bench_.Number("MEASU:MEAS1:VAL?");
      bench_.Write("ACQ:MODE SAM");
    }
    bench_.Apply(Input(source), ScopeBench::Sine(vpp, NominalBandwidth()));
    EXPECT_EQ(sweep(0.5), 2) << Ch(source);
  }
  bench_.Apply(ScopeInput::ExtTrig, ScopeBench::Sine(1.5, NominalBandwidth()));
  bench_.Write("TRIG:MAI:EDGE:SOU EXT10");
  EXPECT_EQ(sweep(1.5), 2) << "EXT/10";
}

TEST_P(HealthyScope, MarkerEdgeWellInsideOneMicrosecond) {
  bench_.Apply(ScopeInput::Ch1, ScopeBench::Marks(10e-3));
  bench_.Write("HEAD 0;CH1:SCA .2;POS -2.5;:HOR:MAI:SCA 1E-3;:HOR:TRIG:POS 25");
  bench_.Write("CURS:FUNC PAI;VBA:POSITION1 0;POSITION2 0;SELECT CURSOR2");
  bench_.Write("HOR:MOD DELAYE;DEL:SCA 5E-7");
  bench_.Write("HOR:DEL:TIM 1E-2");
  bench_.Write("ACQ:MOD AVE;NUMAV 16");
  bench_.Write("ACQ:STATE OFF");
  double mid = (bench_.Number("MEASU:IMM:TYP HIGH;VAL?") + bench_.Number("MEASU:IMM:TYP LOW;VAL?")) / 2;
  double edge = 99;
  for (int step = -200; step <= 200 && edge == 99; ++step) {
    bench_.Write("CURS:VBA:POSITION2 " + PlainText(step * 0.01) + "E-6");
    if (bench_.Number("CURSOR:PAI:HPOS2?") >= mid) edge = step * 0.01;
  }
  EXPECT_LE(std::fabs(edge), 0.7);
  EXPECT_GE(std::fabs(edge), 0.01);
}

INSTANTIATE_TEST_SUITE_P(AllModels, HealthyScope, ::testing::ValuesIn(SupportedScopeModels()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           name.erase(0, 4);
                           return "TDS" + name;
                         });

}  // namespace
}  // namespace veridane::sim
