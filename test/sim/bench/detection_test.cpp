// The program's own start-up searches against the shipped benches: each bench's instruments
// are found in the roles they are meant to fill, and the instrument data the bench writes is
// what the program's readers accept.
#include <gtest/gtest.h>

#include "instruments/comp_data.h"
#include "instruments/instrument_roles.h"
#include "instruments/scanners.h"
#include "instruments/signal_generator.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "test/support/scripted_operator.h"
#include "sim/bench/bench.h"

namespace veridane::sim {
namespace {

struct Detected {
  InstrumentRoles roles;
  int16_t scope = 0;
  int prompts = 0;
};

Detected Detect(const std::string& benchName) {
  VirtualClock clock;
  auto bench = Bench::Shipped(benchName, clock);
  testing::ScriptedOperator technician;
  GpibBus bus(bench->Bus(), technician, clock);
  Detected detected;
  bus.GpibInit(1);
  detected.scope = bus.FindDevice("ID?", "!" + bench->Description().scope.model);
  InstrumentDetector(bus, detected.roles, bench->InstrumentDataFolder()).DetectAll();
  detected.prompts = static_cast<int>(technician.Prompts().size());
  return detected;
}

TEST(Detection, DefaultBenchFillsEveryRoleForAutoMode) {
  Detected d = Detect("default");
  EXPECT_NE(d.scope, 0);
  EXPECT_EQ(d.prompts, 0);
  const InstrumentRoles& r = d.roles;
  EXPECT_TRUE(r.AllRolesFilled());
  EXPECT_EQ(r.PulseGenDevice, 0);
  EXPECT_EQ(r.TimeMarkName, "CG 5011");
  EXPECT_EQ(r.CalibratorModel, 5100);
  EXPECT_EQ(r.CalibratorName, "Fluke 5100A/B");
  EXPECT_EQ(r.SGModel, 5030);
  EXPECT_EQ(r.SGName, "SG 5030");
  EXPECT_EQ(r.ScannerConfig, "AUXTR:B3D1;CALIB:A2;CGTR:A3;CH1:B1C1;CH2:B2C2;SG:A1;");
}

TEST(Detection, GeneratorModelsAreNamedAsTheirCompensationFiles) {
  Detected sme = Detect("sme-generator");
  EXPECT_EQ(sme.roles.SGModel, 3000);
  EXPECT_EQ(sme.roles.SGName, "R&S SME03");
  Detected fluke = Detect("fluke-generator");
  EXPECT_EQ(fluke.roles.SGModel, 6061);
  EXPECT_EQ(fluke.roles.SGName, "Fluke 6061B");
  EXPECT_TRUE(fluke.roles.AllRolesFilled());

  for (const char* name : {"default", "sme-generator", "fluke-generator"}) {
    VirtualClock clock;
    auto bench = Bench::Shipped(name, clock);
    Detected d = Detect(name);
    CompTable table{};
    int pairs = d.roles.SGModel == 5030 ? 12 : 22;
    EXPECT_EQ(ReadCompFile(CompFilePath(bench->InstrumentDataFolder(), d.roles.SGName), pairs, table),
              CompFileError::None)
        << name;
    EXPECT_GT(table[0][pairs - 1], 0) << name;
  }
}

TEST(Detection, FaultyBenchesLeaveTheirRoleEmpty) {
  Detected scopeOnly = Detect("scope-only");
  EXPECT_NE(scopeOnly.scope, 0);
  EXPECT_EQ(scopeOnly.roles.SGName, "Signal Generator");
  EXPECT_EQ(scopeOnly.roles.CalibratorName, "Calibrator");
  EXPECT_EQ(scopeOnly.roles.ScannerDevice1, 0);

  Detected silent = Detect("silent-generator");
  EXPECT_EQ(silent.roles.SGDevice, 0);
  EXPECT_NE(silent.roles.CalibratorDevice, 0);
  EXPECT_FALSE(silent.roles.AllRolesFilled());

  Detected garbled = Detect("garbled-calibrator");
  EXPECT_EQ(garbled.roles.CalibratorDevice, 0);
  EXPECT_NE(garbled.roles.SGDevice, 0);

  Detected noConfig = Detect("missing-scanner-file");
  EXPECT_EQ(noConfig.roles.ScannerDevice1, 0);
  EXPECT_EQ(noConfig.roles.ScannerDevice2, 0);
  EXPECT_EQ(noConfig.prompts, 0);
}

TEST(Detection, EveryModelBenchIsFoundByItsModel) {
  for (const char* name : {"tds310", "tds320", "tds340", "tds340a", "tds350", "tds360", "tds380"}) {
    Detected d = Detect(name);
    EXPECT_NE(d.scope, 0) << name;
    EXPECT_TRUE(d.roles.AllRolesFilled()) << name;
    EXPECT_EQ(d.prompts, 0) << name;
  }
}

}  // namespace
}  // namespace veridane::sim

namespace veridane::sim {
namespace {

// Full Auto on the default bench: the program's SetRoute and SetSG put the ladder's levels on
// the scope inputs; the compensation file cancels the generator's flatness at every test
// frequency the table covers, through the attenuator steps.
TEST(AutoPath, ProgramDriversDeliverCompensatedLevelsAtTheRoutedInput) {
  VirtualClock clock;
  auto bench = Bench::Shipped("default", clock);
  testing::ScriptedOperator technician;
  GpibBus bus(bench->Bus(), technician, clock);
  bus.GpibInit(1);
  ASSERT_NE(bus.FindDevice("ID?", "!TDS 340"), 0);
  InstrumentRoles roles;
  InstrumentDetector(bus, roles, bench->InstrumentDataFolder()).DetectAll();
  Automation autoMode = Automation::Full;
  SignalGenerator generator(bus, technician, roles, autoMode, bench->InstrumentDataFolder());
  generator.LoadCompData();
  ASSERT_EQ(autoMode, Automation::Full);
  ScannerDriver scanners(bus, technician, roles);
  generator.SGReset();

  scanners.SetRoute("SG,CH2");
  for (float mhz : {0.05f, 50.0f, 100.0f, 200.0f, 400.0f}) {
    for (float vpp : {0.006f, 0.03f, 0.3f, 3.0f, 5.0f}) {
      generator.SetSG(SignalSetting::Both(mhz, vpp));
      Signal ch2 = bench->SignalAt(ScopeInput::Ch2);
      ASSERT_EQ(ch2.kind, Signal::Kind::Sine) << mhz << " MHz " << vpp << " V";
      EXPECT_NEAR(ch2.frequencyHz, mhz * 1e6, 1) << mhz;
      EXPECT_NEAR(ch2.vpp / vpp, 1.0, 2e-6) << mhz << " MHz " << vpp << " V";
      EXPECT_EQ(bench->SignalAt(ScopeInput::Ch1).kind, Signal::Kind::None);
    }
  }
  scanners.SetRoute("CALIB,CH1");
  EXPECT_EQ(bench->SignalAt(ScopeInput::Ch2).kind, Signal::Kind::None);
  scanners.ScannerReset();
  EXPECT_TRUE(bench->ScannerNumber(0)->ClosedRelays().empty());
  EXPECT_TRUE(bench->ScannerNumber(1)->ClosedRelays().empty());
  EXPECT_EQ(technician.Prompts().size(), 0u);
}

}  // namespace
}  // namespace veridane::sim
