// Detection of the optional bench instruments by their identification answers.
#include <sys/stat.h>

#include "instruments/instrument_roles.h"
#include "test/support/driver_bench.h"

namespace veridane::testing {
namespace {

constexpr int kScope = 1;

class DetectionTest : public DriverBench {
 protected:
  // Puts the scope and the given instruments on the bus and claims the scope first, as start-up does.
  void Bus(std::vector<int16_t> addresses) {
    addresses.insert(addresses.begin(), kScope);
    gpib.SetListeners(addresses);
    gpib.SetAnswer(kScope, "ID?", "ID TEK/TDS 340,CF:91.1CT,FV:v1.04\r\n");
    bus.GpibInit(1);
    scope = bus.FindDevice("ID?", "!TDS 340");
    ASSERT_NE(scope, 0);
  }
  void Answer(int address, const std::string& query, const std::string& reply) {
    gpib.SetAnswer(address, query, reply);
  }
  void Detect() { InstrumentDetector(bus, roles, folder.path()).DetectAll(); }
  int AddressOf(int16_t handle) const { return handle == 0 ? 0 : gpib.AddressOf(handle); }

  TempFolder folder;
  int16_t scope = 0;
};

TEST_F(DetectionTest, ScopeAloneLeavesEveryRoleEmptyWithoutAMessage) {
  Bus({});
  Detect();
  EXPECT_EQ(roles.AttenuatorDevice, 0);
  EXPECT_EQ(roles.PulseGenDevice, 0);
  EXPECT_EQ(roles.TimeMarkDevice, 0);
  EXPECT_EQ(roles.CalibratorDevice, 0);
  EXPECT_EQ(roles.CalibratorModel, 0);
  EXPECT_EQ(roles.CalibratorName, "Calibrator");
  EXPECT_EQ(roles.SGDevice, 0);
  EXPECT_EQ(roles.SGModel, 0);
  EXPECT_EQ(roles.SGName, "Signal Generator");
  EXPECT_EQ(roles.ScannerDevice1, 0);
  EXPECT_EQ(roles.ScannerDevice2, 0);
  EXPECT_EQ(roles.ScannerConfig, "");
  EXPECT_FALSE(roles.AllRolesFilled());
  EXPECT_TRUE(op.Prompts().empty());
}

// The Auto mode is offered only with every role the table says it needs; any one missing,
// whichever it is, withholds it.
TEST(RoleTable, EveryNeededRoleIsRequiredForAuto) {
  InstrumentRoles full;
  for (const RoleRow& row : RoleTable()) full.*row.device = 5;
  EXPECT_TRUE(full.AllRolesFilled());
  int needed = 0;
  for (const RoleRow& row : RoleTable()) {
    if (!row.neededForAuto) continue;
    ++needed;
    InstrumentRoles missing = full;
    missing.*row.device = 0;
    EXPECT_FALSE(missing.AllRolesFilled()) << row.standardRole;
  }
  EXPECT_EQ(needed, 5);
  // A lone SI 5020 (or an SI 5010) routes nothing: the pair's second half fills the role.
  InstrumentRoles oneScanner = full;
  oneScanner.ScannerDevice2 = 0;
  EXPECT_FALSE(oneScanner.AllRolesFilled());
}

TEST(RoleTable, EachFunctionIsServedByExactlyOneStandard) {
  for (StandardFunction function : {StandardFunction::DcVoltage, StandardFunction::AcAmplitude,
                                    StandardFunction::Frequency, StandardFunction::TimeMarks,
                                    StandardFunction::Attenuation}) {
    int serving = 0;
    for (const RoleRow& row : RoleTable()) serving += RoleServes(row.standardRole, function) ? 1 : 0;
    EXPECT_EQ(serving, 1) << static_cast<int>(function);
  }
  EXPECT_TRUE(RoleServes("Signal generator", StandardFunction::Frequency));
  EXPECT_FALSE(RoleServes("Signal generator", StandardFunction::DcVoltage));
  EXPECT_FALSE(RoleServes("", StandardFunction::DcVoltage)) << "the scanners are no standard";
  EXPECT_FALSE(RoleServes("Scanner", StandardFunction::Attenuation));
}

TEST_F(DetectionTest, SmeModelDigitsGiveModelCodeAndName) {
  struct Case {
    std::string idn;
    int16_t model;
    std::string name;
  };
  for (const Case& c : {Case{"ROHDE&SCHWARZ,SME03,834567/012,5.03\r\n", 3000, "R&S SME03"},
                        Case{"Rohde&Schwarz,SME06,1038.6002.06,4.11\r\n", 6000, "R&S SME06"}}) {
    SCOPED_TRACE(c.idn);
    RecordingGpib fresh;
    VirtualClock freshClock;
    GpibBus freshBus(fresh, op, freshClock);
    InstrumentRoles freshRoles;
    fresh.SetListeners({kScope, 7});
    fresh.SetAnswer(kScope, "ID?", "ID TEK/TDS 340,CF:91.1CT,FV:v1.04\r\n");
    fresh.SetAnswer(7, "*IDN?", c.idn);
    freshBus.GpibInit(1);
    ASSERT_NE(freshBus.FindDevice("ID?", "!TDS 340"), 0);
    InstrumentDetector(freshBus, freshRoles, folder.path()).DetectAll();
    EXPECT_EQ(fresh.AddressOf(freshRoles.SGDevice), 7);
    EXPECT_EQ(freshRoles.SGModel, c.model);
    EXPECT_EQ(freshRoles.SGName, c.name);
    // The model is read from a second "*IDN?" once the generator is claimed.
    auto written = fresh.WrittenTo(7);
    EXPECT_EQ(std::count(written.begin(), written.end(), "*IDN?"), 2);
  }
  EXPECT_TRUE(op.Prompts().empty());
}

TEST_F(DetectionTest, FlukeGeneratorIsNamedFromItsDoubleQueryAnswer) {
  Bus({9});
  Answer(9, "ID?", "6061B\r\n");
  Answer(9, "ID??", "6061B\r\n");
  Detect();
  EXPECT_EQ(AddressOf(roles.SGDevice), 9);
  EXPECT_EQ(roles.SGModel, 6061);
  EXPECT_EQ(roles.SGName, "Fluke 6061B");
  EXPECT_EQ(gpib.WrittenTo(9).back(), "ID??");
}

TEST_F(DetectionTest, SG5030IsFoundAfterTheOtherGenerators) {
  Bus({12});
  Answer(12, "ID?", "ID TEK/SG5030,V81.1\r\n");
  Detect();
  EXPECT_EQ(AddressOf(roles.SGDevice), 12);
  EXPECT_EQ(roles.SGModel, 5030);
  EXPECT_EQ(roles.SGName, "SG 5030");
}

TEST_F(DetectionTest, CalibratorMustAnswerExactlyZeroPoint) {
  Bus({4, 5});
  Answer(4, "ID?", "0.0\r\n");
  Answer(5, "ID?", "0.\r\n");
  Detect();
  EXPECT_EQ(AddressOf(roles.CalibratorDevice), 5);
  EXPECT_EQ(roles.CalibratorModel, 5100);
  EXPECT_EQ(roles.CalibratorName, "Fluke 5100A/B");
}

TEST_F(DetectionTest, CalibratorAnsweringZeroPointZeroIsNotACalibrator) {
  Bus({4});
  Answer(4, "ID?", "0.0\r\n");
  Detect();
  EXPECT_EQ(roles.CalibratorDevice, 0);
  EXPECT_EQ(roles.CalibratorModel, 0);
  EXPECT_EQ(roles.CalibratorName, "Calibrator");
}

TEST_F(DetectionTest, TwoAttenuatorsGiveAttenuatorAndPulseGenerator) {
  Bus({3, 8});
  for (int address : {3, 8}) {
    Answer(address, "ID?", "ID TEK/AT5010,V79.1\r\n");
  }
  Detect();
  EXPECT_EQ(AddressOf(roles.AttenuatorDevice), 3);
  EXPECT_EQ(AddressOf(roles.PulseGenDevice), 8);
  EXPECT_EQ(roles.AttenuatorName, "AT 5010");
  EXPECT_EQ(roles.PulseGenName, "PG 509");
}

TEST_F(DetectionTest, TimeMarkGeneratorIsNamedFromTheFirstFiftyOfItsAnswer) {
  Bus({6});
  Answer(6, "ID?", "ID TEK/CG5011,V81.1\r\n");
  Detect();
  EXPECT_EQ(AddressOf(roles.TimeMarkDevice), 6);
  EXPECT_EQ(roles.TimeMarkName, "CG 5011");
  EXPECT_EQ(roles.TimeMarkModel, 5011);
}

TEST_F(DetectionTest, TwoSI5020WithConfigurationFileFillBothScannerRoles) {
  folder.Write("SI5020.cfg", "CALIB:A1\r\nCH1:B2;\r\nCH2:B3C3\r\n");
  Bus({14, 15});
  for (int address : {14, 15}) Answer(address, "ID?", "ID TEK/SI5020,V79.1\r\n");
  Detect();
  EXPECT_EQ(AddressOf(roles.ScannerDevice1), 14);
  EXPECT_EQ(AddressOf(roles.ScannerDevice2), 15);
  EXPECT_EQ(roles.ScannerConfig, "CALIB:A1;CH1:B2;CH2:B3C3;");
  EXPECT_EQ(roles.ScannerName, "SI 5020");
  EXPECT_EQ(roles.ScannerModel, 5020);
  EXPECT_TRUE(op.Prompts().empty());
}

TEST_F(DetectionTest, ConfigurationLinesWithoutFinalLineEndOrWithBlanksAreKept) {
  folder.Write("SI5020.cfg", "SG:A2 \nCH1:B2");
  Bus({14, 15});
  for (int address : {14, 15}) Answer(address, "ID?", "ID TEK/SI5020,V79.1\r\n");
  Detect();
  EXPECT_EQ(roles.ScannerConfig, "SG:A2;CH1:B2;");
}

TEST_F(DetectionTest, TwoSI5020WithoutUsableConfigurationMeanNoScanner) {
  // A folder or a FIFO (nobody writes to it: a blocking read would never end) is no file.
  const std::filesystem::path path = folder.path() / "SI5020.cfg";
  for (std::string kind : {"no file", "empty file", "folder", "fifo"}) {
    SCOPED_TRACE(kind);
    std::filesystem::remove(path);
    if (kind == "empty file") folder.Write("SI5020.cfg", "");
    if (kind == "folder") std::filesystem::create_directory(path);
    if (kind == "fifo") ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    RecordingGpib fresh;
    VirtualClock freshClock;
    GpibBus freshBus(fresh, op, freshClock);
    InstrumentRoles freshRoles;
    fresh.SetListeners({14, 15});
    for (int address : {14, 15}) fresh.SetAnswer(address, "ID?", "ID TEK/SI5020,V79.1\r\n");
    freshBus.GpibInit(1);
    InstrumentDetector(freshBus, freshRoles, folder.path()).DetectScanner();
    EXPECT_EQ(freshRoles.ScannerDevice1, 0);
    EXPECT_EQ(freshRoles.ScannerDevice2, 0);
    EXPECT_EQ(freshRoles.ScannerConfig, "");
  }
  EXPECT_TRUE(op.Prompts().empty());
}

TEST_F(DetectionTest, SI5020WithoutPartnerGivesWayToSI5010) {
  Bus({14, 16});
  Answer(14, "ID?", "ID TEK/SI5020,V79.1\r\n");
  Answer(16, "ID?", "ID TEK/SI5010,V79.1\r\n");
  Detect();
  EXPECT_EQ(AddressOf(roles.ScannerDevice1), 16);
  EXPECT_EQ(roles.ScannerDevice2, 0);
  EXPECT_EQ(roles.ScannerName, "SI 5010");
  EXPECT_EQ(roles.ScannerConfig, "");
}

TEST_F(DetectionTest, FullBenchFillsEveryRoleInStartUpOrder) {
  folder.Write("SI5020.cfg", "SG:A1\r\n");
  Bus({3, 5, 6, 7, 14, 15});
  Answer(3, "ID?", "ID TEK/AT5010,V79.1\r\n");
  Answer(5, "ID?", "0.\r\n");
  Answer(6, "ID?", "ID TEK/CG5011,V81.1\r\n");
  Answer(7, "*IDN?", "ROHDE&SCHWARZ,SME03,834567/012,5.03\r\n");
  for (int address : {14, 15}) Answer(address, "ID?", "ID TEK/SI5020,V79.1\r\n");
  Detect();
  EXPECT_EQ(AddressOf(roles.AttenuatorDevice), 3);
  EXPECT_EQ(AddressOf(roles.CalibratorDevice), 5);
  EXPECT_EQ(AddressOf(roles.TimeMarkDevice), 6);
  EXPECT_EQ(AddressOf(roles.SGDevice), 7);
  EXPECT_EQ(AddressOf(roles.ScannerDevice1), 14);
  EXPECT_EQ(AddressOf(roles.ScannerDevice2), 15);
  EXPECT_TRUE(roles.AllRolesFilled());
}

}  // namespace
}  // namespace veridane::testing
