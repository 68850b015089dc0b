// Faultbook on the simulated bench: the log a bench file gives is read, cleared only with the
// password sent before, and long or 8-bit logs come through whole.
#include <gtest/gtest.h>

#include "faultbook/faultbook.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "scope/scope_identity.h"
#include "sim/bench/bench.h"
#include "test/support/scripted_operator.h"

namespace veridane::testing {
namespace {

using Texts = std::vector<std::string>;

struct SimFaultbook {
  explicit SimFaultbook(const std::string& errorLog, const std::string& model = "TDS 340")
      : bench(sim::Bench::FromText("[scope]\nmodel = \"" + model + "\"\naddress = 4\nerror_log = [" + errorLog + "]\n",
                                   "log.toml", clock)) {
    bus.GpibInit(1);
    scope.ScopeDevice = bus.FindDevice("ID?", "TDS");
    scope.ScopeModel = model;
  }
  VirtualClock clock;
  std::unique_ptr<sim::Bench> bench;
  ScriptedOperator op;
  GpibBus bus{bench->Bus(), op, clock};
  ScopeIdentity scope;
  Faultbook book{bus, scope};
};

TEST(FaultbookOnTheSimulator, ReadsTheBenchFilesLogAndClearsIt) {
  SimFaultbook sim("\"SPC: CH2 gain out of range\", \"Acq: trigger lost\", \"Cal: constants lost\", "
                   "\"Fan stalled\", \"Front panel key stuck\", \"Power fail\"");
  EXPECT_EQ(sim.book.ConnectedCaption("Embedded Faultbook"),
            "Embedded Faultbook   -   Connected to TDS 340 @ GPIB Addr: 4");
  // Parlex's general handle takes the first listener's place in the table; the scope's address
  // still comes from its own handle.
  ASSERT_NE(sim.bus.FindDevice("", ""), 0);
  EXPECT_EQ(sim.book.ConnectedCaption("Embedded Faultbook"),
            "Embedded Faultbook   -   Connected to TDS 340 @ GPIB Addr: 4");
  sim.book.Refresh();
  EXPECT_EQ(sim.book.List1(), (Texts{"SPC: CH2 gain out of range", "Acq: trigger lost", "Cal: constants lost",
                                     "Fan stalled", "Front panel key stuck", "Power fail"}));
  sim.book.ClearInScope();
  EXPECT_EQ(sim.book.Label1(), " No logged errors found.");
  sim.book.Refresh();
  EXPECT_TRUE(sim.book.List1().empty()) << "the log stays cleared";
}

TEST(FaultbookOnTheSimulator, ClearWithoutThePasswordIsRefusedAndTheListSaysSo) {
  SimFaultbook sim("\"Fan stalled\"");
  sim.book.ReadErrorLog();  // read without the password: the scope gives it, but keeps it locked
  sim.book.ClearInScope();
  EXPECT_EQ(sim.book.List1(), (Texts{"Fan stalled"}));
}

TEST(FaultbookOnTheSimulator, AnEmptyLogAndAVeryLongOneWithOddBytes) {
  SimFaultbook empty("");
  empty.book.Refresh();
  EXPECT_EQ(empty.book.Label1(), " No logged errors found.");

  std::string entries;
  Texts expected;
  for (int i = 1; i <= 400; ++i) {
    entries += (i > 1 ? ", " : "") + std::string("\"Entry ") + std::to_string(i) + " 5 \\u00b5s \\u00b1 1%\"";
    expected.push_back("Entry " + std::to_string(i) + " 5 \xB5s \xB1 1%");
  }
  SimFaultbook longLog(entries, "TDS 380");
  longLog.book.Refresh();
  EXPECT_EQ(longLog.book.List1(), expected);
  EXPECT_EQ(longLog.book.Label1(), " 400 logged errors found.");
}

TEST(FaultbookOnTheSimulator, TheShippedLongLogBench) {
  VirtualClock clock;
  auto bench = sim::Bench::Shipped("long-error-log", clock);
  ScriptedOperator op;
  GpibBus bus(bench->Bus(), op, clock);
  bus.GpibInit(1);
  ScopeIdentity scope{bus.FindDevice("ID?", "TDS"), "TDS 380"};
  Faultbook book(bus, scope);
  book.Refresh();
  ASSERT_EQ(book.List1().size(), 250u);
  EXPECT_EQ(book.List1()[1], "SPC: CH1 gain \xB1 0.8% beyond the cal constant (power-on hours 1207)");
  // A double quote would end the entry for any reader; the scope gives it as a single quote.
  EXPECT_EQ(book.List1()[4], "Front panel: key 'MENU' stuck (power-on hours 1228)");
  EXPECT_EQ(book.List1()[249], "NVRAM: checksum, defaults loaded (power-on hours 2943)");
}

}  // namespace
}  // namespace veridane::testing
