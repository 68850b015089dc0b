// Finding instruments by their identification answer: markers, claiming, reports.
#include <gtest/gtest.h>

#include "test/support/fake_operator.h"
#include "gpib/bus/gpib_bus.h"
#include "test/support/recording_gpib.h"

namespace veridane {
namespace {

struct Bench : gpibtest::BusBench {
  // Each entry: address and its answer to "ID?" (empty = never answers).
  explicit Bench(std::vector<std::pair<int16_t, std::string>> devices) {
    std::vector<int16_t> addresses;
    for (const auto& [address, answer] : devices) {
      addresses.push_back(address);
      if (!answer.empty()) driver.SetAnswer(address, "ID?", answer);
    }
    driver.SetListeners(addresses);
    bus.GpibInit(1);
    driver.ClearLog();
  }
};

TEST(FindDevice, ContainsMatchClaimsTheAddressAndHandsOverTheProbe) {
  Bench b({{3, "ID TEK/TDS 340,CF:91.1CT FV:v1.00\r\n"}});
  int16_t handle = b.bus.FindDevice("ID?", "!TDS 340");
  EXPECT_EQ(handle, 1);
  EXPECT_EQ(b.driver.Log(), (std::vector<std::string>{
                                "ibdev(0, 1, 0, 9, 1, 0) -> 1",
                                "ibpad(1@1, 3)",
                                "ibclr(1@3)",
                                "ibrsp(1@3) -> 0",
                                "ibwrt(1@3, \"ID?\")",
                                "ibrd(1@3, 256) -> \"ID TEK/TDS 340,CF:91.1CT FV:v1.00\\r\\n\" END",
                                "ibtmo(1@3, 12)",
                            }));
  ASSERT_EQ(b.bus.listeners.found.size(), 1u);
  EXPECT_EQ(b.bus.listeners.FreeCount(), 0u);
  EXPECT_FALSE(b.bus.listeners.found[0].free);
  EXPECT_EQ(b.bus.listeners.found[0].address, 3) << "the found table keeps the address";
  EXPECT_EQ(b.bus.listeners.found[0].handle, handle);
  EXPECT_FALSE(b.bus.probe.open);
  EXPECT_TRUE(b.op.prompts.empty());

  // The next search needs a new probe.
  b.bus.FindDevice("ID?", "!SG5030");
  EXPECT_EQ(b.driver.Count("ibdev"), 2);
}

TEST(FindDevice, CaseAndExactness) {
  {
    Bench b({{2, "ID SONY/TEK,SG5030,V81.1\n"}});
    EXPECT_NE(b.bus.FindDevice("ID?", "!sg5030"), 0) << "containment ignores case";
  }
  {
    Bench b({{2, "ID SONY/TEK,SG5030,V81.1\n"}});
    EXPECT_EQ(b.bus.FindDevice("ID?", "!sg5030!"), 0) << "exact match is case-sensitive";
    EXPECT_EQ(b.bus.FindDevice("ID?", "!SG5030!"), 0) << "exact match is not containment";
  }
  {
    Bench b({{4, "0.5\r\n"}, {6, "  0.\r\n"}});
    int16_t handle = b.bus.FindDevice("ID?", "!0.!");
    EXPECT_EQ(b.driver.AddressOf(handle), 6) << "blanks and line ends are not part of the answer";
    EXPECT_TRUE(b.op.prompts.empty());
  }
  {
    // A trailing "!" only means exactness after the optional and delay markers are gone.
    Bench b({{5, "ID?!\n"}});
    EXPECT_EQ(b.bus.FindDevice("ID?", "ID?!!"), 1);
  }
}

TEST(FindDevice, OptionalSearchFailsSilentlyAndKeepsTheProbe) {
  Bench b({{1, "ID TEK/TDS 320\n"}, {2, "ID SONY/TEK,AT5010\n"}});
  EXPECT_EQ(b.bus.FindDevice("ID?", "!CG50"), 0);
  EXPECT_TRUE(b.op.prompts.empty());
  EXPECT_TRUE(b.bus.probe.open);
  EXPECT_EQ(b.bus.listeners.FreeCount(), 2u);
  EXPECT_EQ(b.bus.FindDevice("ID?", "!AT5010"), 1) << "the spare handle is reused";
  EXPECT_EQ(b.driver.Count("ibdev"), 1);
  EXPECT_EQ(b.driver.AddressOf(1), 2);
}

TEST(FindDevice, QueryMarkers) {
  Bench b({{7, "ID TEK/TDS 350\n"}});
  EXPECT_EQ(b.bus.FindDevice("!ID?", "!TDS 350"), 1);
  EXPECT_EQ(b.driver.Count("ibclr"), 0) << "leading ! on the query: no device clear";
  EXPECT_EQ(b.driver.WrittenTo(7), (std::vector<std::string>{"ID?"}));
}

TEST(FindDevice, DelayedMarkerPausesBetweenPollAndQuery) {
  Bench b({{3, "ID SONY/TEK,CG5011\n"}, {8, "ID SONY/TEK,CG5001\n"}});
  b.driver.SetAnswer(3, "ID?", "");
  int polls = b.clock.ProcessEventsCount();
  EXPECT_EQ(b.bus.FindDevice("ID?", "!?CG50"), 1);
  EXPECT_NEAR(b.clock.Now(), 0.1, 1e-6) << "one pause for the one device asked";
  EXPECT_GT(b.clock.ProcessEventsCount(), polls) << "the pause lets the interface run";

  Bench plain({{3, "ID SONY/TEK,CG5011\n"}});
  plain.bus.FindDevice("ID?", "!CG50");
  EXPECT_DOUBLE_EQ(plain.clock.Now(), 0.0);
}

TEST(FindDevice, SameTextTwiceFindsTheSecondInstrumentThenRunsOut) {
  Bench b({{1, "ID TEK/TDS 340\n"}, {5, "ID SONY/TEK,SI5020\n"}, {8, "ID SONY/TEK,SI5020\n"}});
  EXPECT_EQ(b.driver.AddressOf(b.bus.FindDevice("ID?", "!TDS 340")), 1);
  EXPECT_EQ(b.driver.AddressOf(b.bus.FindDevice("ID?", "!SI5020")), 5);
  b.driver.ClearLog();
  EXPECT_EQ(b.driver.AddressOf(b.bus.FindDevice("ID?", "!SI5020")), 8);
  EXPECT_TRUE(b.driver.WrittenTo(1).empty() && b.driver.WrittenTo(5).empty()) << "claimed addresses are skipped";
  EXPECT_EQ(b.bus.listeners.FreeCount(), 0u);

  b.driver.ClearLog();
  EXPECT_EQ(b.bus.FindDevice("ID?", "!SI5020"), 0);
  EXPECT_TRUE(b.op.prompts.empty());
  EXPECT_EQ(b.driver.Count("ibwrt"), 0);

  EXPECT_THROW(b.bus.FindDevice("ID?", "SI5020"), ProgramEnded);
  ASSERT_EQ(b.op.prompts.size(), 1u);
  EXPECT_EQ(b.op.prompts[0].caption, "Not enough devices on the bus");
  EXPECT_EQ(b.op.prompts[0].text, "Can't find more than 3 device(s).\n\nCorrect problem and restart.");
  EXPECT_EQ(b.op.prompts[0].style, 16);
}

TEST(FindDevice, FailedSearchReportListsTheLatestResponseFirst) {
  Bench b({{2, "ID SONY/TEK,AT5010\r\n"}, {4, ""}, {9, "FLUKE,5100B\n"}});
  EXPECT_THROW(b.bus.FindDevice("ID?", "TDS 3x0"), ProgramEnded);
  ASSERT_EQ(b.op.prompts.size(), 1u);
  EXPECT_EQ(b.op.prompts[0].caption, "Expected Id-response from device not found" + std::string(40, ' '));
  EXPECT_EQ(b.op.prompts[0].style, 16);
  EXPECT_EQ(b.op.prompts[0].text,
            "ID Query: ID?\n\nExpected Response: TDS 3x0\n\nReceived Response(s):\n"
            "FLUKE,5100B\n\nID SONY/TEK,AT5010\n\nCorrect the problem and restart. Program will end.");
  // The silent device was cleared after its timed-out read.
  auto log = b.driver.Log();
  auto timeout = std::find(log.begin(), log.end(), "ibrd(1@4, 256) -> TIMEOUT ERR 6");
  ASSERT_NE(timeout, log.end());
  EXPECT_EQ(*(timeout + 1), "ibclr(1@4)");
}

TEST(FindDevice, NonFatalQueryMarkerReportsAndGoesOn) {
  Bench b({{2, "ID SONY/TEK,AT5010\n"}});
  EXPECT_EQ(b.bus.FindDevice("!ID?!", "!?X!"), 0) << "optional wins: no report";
  EXPECT_TRUE(b.op.prompts.empty());

  EXPECT_EQ(b.bus.FindDevice("ID?!", "?TDS!"), 0);
  ASSERT_EQ(b.op.prompts.size(), 1u);
  EXPECT_EQ(b.op.prompts[0].text,
            "ID Query: ID?\n\nExpected Response: TDS\n\nReceived Response(s):\nID SONY/TEK,AT5010\n\n"
            "Correct the problem and retry. Program will continue.");
  EXPECT_EQ(b.op.endCount, 0);
  EXPECT_TRUE(b.bus.probe.open);
}

TEST(FindDevice, EmptyQueryHandsOutOneGeneralHandle) {
  Bench b({{4, "A\n"}, {7, "B\n"}});
  b.bus.DeviceTimeout = DriverTimeout::TenSeconds;
  int16_t handle = b.bus.FindDevice("", "");
  EXPECT_EQ(handle, 1);
  EXPECT_EQ(b.driver.Log(), (std::vector<std::string>{
                                "ibdev(0, 1, 0, 9, 1, 0) -> 1",
                                "ibpad(1@1, 4)",
                                "ibrsp(1@4) -> 0",
                                "ibpad(1@4, 7)",
                                "ibrsp(1@7) -> 0",
                                "ibpad(1@7, 4)",
                                "ibtmo(1@4, 13)",
                            }));
  EXPECT_EQ(b.bus.listeners.found.at(0).handle, handle);
  EXPECT_EQ(b.bus.listeners.FreeCount(), 2u) << "no address is claimed";
  EXPECT_FALSE(b.bus.probe.open);
  EXPECT_TRUE(b.op.prompts.empty());
  // A normal search can still claim the first listener, with a probe of its own.
  EXPECT_EQ(b.driver.AddressOf(b.bus.FindDevice("ID?", "!A")), 4);
  EXPECT_EQ(b.driver.Count("ibdev"), 2);
}

TEST(FindDevice, EmptyQueryReportsADriverError) {
  Bench b({{4, "A\n"}});
  b.driver.FailNext("ibtmo", kEarg);
  b.bus.FindDevice("", "");
  ASSERT_EQ(b.op.prompts.size(), 1u);
  EXPECT_EQ(b.op.prompts[0].caption, "GPIB ERROR # 4");
}

TEST(FindDevice, NoProbeHandleIsReportedNotHandedOut) {
  Bench b({{4, "A\n"}});
  b.driver.FailNext("ibdev", kEneb);
  EXPECT_EQ(b.bus.FindDevice("", ""), 0);
  ASSERT_EQ(b.op.prompts.size(), 1u);
  EXPECT_EQ(b.op.prompts[0].caption, "GPIB ERROR # 7");
  EXPECT_FALSE(b.bus.probe.open);
  EXPECT_EQ(b.bus.FindDevice("ID?", "!A"), 1) << "the next search tries again";
}

}  // namespace
}  // namespace veridane
