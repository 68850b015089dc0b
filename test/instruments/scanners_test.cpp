// Relay routing through the SI 5020 pair, and the resets of scanners and time-mark generator.
#include "instruments/scanners.h"
#include "test/support/driver_bench.h"

namespace veridane::testing {
namespace {

constexpr int kScanner1 = 14;
constexpr int kScanner2 = 15;

class ScannerTest : public DriverBench {
 protected:
  void Pair(std::string config) {
    roles.ScannerDevice1 = Device(kScanner1);
    roles.ScannerDevice2 = Device(kScanner2);
    roles.ScannerConfig = std::move(config);
  }
  std::vector<std::string> Route(const char* route) {
    ClearTraffic();
    ScannerDriver(bus, op, roles).SetRoute(route);
    return Traffic();
  }
  using Lines = std::vector<std::string>;
};

TEST_F(ScannerTest, RouteOpensEverythingThenClosesPerScanner) {
  Pair("CALIB:A1;CH1:B2;CH2:B3C3;SG:A2D4;");
  EXPECT_EQ(Route("CALIB,CH1"), (Lines{"14:INIT;CLOSE A1,B2,", "15:INIT"}));
  EXPECT_EQ(Route("CALIB,CH2"), (Lines{"14:INIT;CLOSE A1,B3,", "15:INIT;CLOSE A3,"}));
  EXPECT_EQ(Route("sg,ch1,"), (Lines{"14:INIT;CLOSE A2,B2,", "15:INIT;CLOSE B4,"}));
  EXPECT_TRUE(LocalCalls().empty());
}

TEST_F(ScannerTest, RouteWaitsForTheRelays) {
  Pair("SG:A2;");
  double before = clock.Now();
  Route("SG");
  EXPECT_GE(clock.Now() - before, 1.0);
}

TEST_F(ScannerTest, LeadingMinusClosesOnlyTheFirstRelayOfThatName) {
  Pair("CALIB:A1;CH2:B3C3;");
  EXPECT_EQ(Route("-CH2,CALIB"), (Lines{"14:INIT;CLOSE B3,A1,", "15:INIT"}));
  EXPECT_EQ(Route("CALIB,-CH2"), (Lines{"14:INIT;CLOSE A1,B3,", "15:INIT"}));
}

TEST_F(ScannerTest, RelayNamedTwiceIsClosedOnce) {
  Pair("SG:A1C2;CH1:A1B2C2;");
  EXPECT_EQ(Route("SG,CH1"), (Lines{"14:INIT;CLOSE A1,B2,", "15:INIT;CLOSE A2,"}));
}

TEST_F(ScannerTest, UnknownNameIsReportedAndNothingIsSent) {
  Pair("CALIB:A1;CH1:B2;");
  op.Expect("SI 5020 Unsupported command: AUXTR", 16, "Command Error", kOk);
  EXPECT_TRUE(Route("CH1,auxtr").empty());
  // Only whole names match: "CH" is not "CH1".
  op.Expect("SI 5020 Unsupported command: CH", 16, "Command Error", kOk);
  EXPECT_TRUE(Route("CH").empty());
}

TEST_F(ScannerTest, MalformedRelayCodesAreRefusedNotSent) {
  Pair("CH1:A1C;CH2:E1;");
  op.Expect("SI 5020 Unsupported command: CH1", 16, "Command Error", kOk);
  EXPECT_TRUE(Route("CH1").empty());
  op.Expect("SI 5020 Unsupported command: CH2", 16, "Command Error", kOk);
  EXPECT_TRUE(Route("CH2").empty());
}

TEST_F(ScannerTest, EmptyRouteResetsBothScanners) {
  Pair("CALIB:A1;");
  EXPECT_EQ(Route(""), (Lines{"14:INIT", "15:INIT"}));
  EXPECT_EQ(LocalCalls(), (std::vector<int>{kScanner1, kScanner2}));
}

TEST_F(ScannerTest, LoneSI5010TakesOnlyResets) {
  roles.ScannerDevice1 = Device(16);
  op.Expect("SI 5020 Unsupported command: SG", 16, "Command Error", kOk);
  EXPECT_TRUE(Route("SG,CH1").empty());
  ClearTraffic();
  ScannerDriver(bus, op, roles).ScannerReset();
  EXPECT_EQ(Traffic(), (Lines{"16:INIT"}));
  EXPECT_EQ(LocalCalls(), (std::vector<int>{16}));
}

TEST_F(ScannerTest, NoScannerNoTrafficNoMessage) {
  roles.ScannerConfig = "SG:A1;";
  EXPECT_TRUE(Route("SG,CH1").empty());
  EXPECT_TRUE(Route("").empty());
  ScannerDriver(bus, op, roles).ScannerReset();
  EXPECT_TRUE(Traffic().empty());
  EXPECT_TRUE(op.Prompts().empty());
}

TEST_F(ScannerTest, TimeMarkGeneratorReset) {
  CGReset(bus, roles);
  EXPECT_TRUE(Traffic().empty());
  roles.TimeMarkDevice = Device(6);
  CGReset(bus, roles);
  EXPECT_EQ(Traffic(), (Lines{"6:INIT"}));
  EXPECT_EQ(LocalCalls(), (std::vector<int>{6}));
}

}  // namespace
}  // namespace veridane::testing
