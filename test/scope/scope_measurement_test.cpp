// A reading of the scope as a value: the scope's "cannot measure", garbled replies and failed
// queries are no value, and repeated readings are averaged with their replies kept.
#include <gtest/gtest.h>

#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "scope/scope_measurement.h"
#include "test/support/recording_gpib.h"
#include "test/support/scripted_operator.h"

namespace veridane::testing {
namespace {

constexpr int kScopeAddress = 1;

TEST(ScopeReading, TheScopesCannotMeasureAndNonNumbersAreNoValue) {
  EXPECT_EQ(ScopeReading("-1.2E-3\n"), -1.2E-3);
  EXPECT_EQ(ScopeReading(" .5"), 0.5);
  EXPECT_EQ(ScopeReading("+3"), 3.0);
  // The scope's 9.9E37, of either sign, and anything as large: no measurement.
  EXPECT_FALSE(ScopeReading("9.9E37"));
  EXPECT_FALSE(ScopeReading("9.9E+37\n"));
  EXPECT_FALSE(ScopeReading("-9.9E37"));
  EXPECT_FALSE(ScopeReading("1E38"));
  // Just below it is a (very large) number, which the limits then judge.
  EXPECT_EQ(ScopeReading("98E36"), 98E36);
  // Garbled or empty replies would read as 0: a pass at zero.
  EXPECT_FALSE(ScopeReading("garbled"));
  EXPECT_FALSE(ScopeReading(""));
  EXPECT_FALSE(ScopeReading("E5"));
}

class ScopeMeasurementTest : public ::testing::Test {
 protected:
  ScopeMeasurementTest() { device = bus.ibdev(0, kScopeAddress, 0, 12, 1, 0); }
  void Replies(std::initializer_list<const char*> replies) {
    for (const char* reply : replies) gpib.AddReply(kScopeAddress, reply);
  }
  RecordingGpib gpib;
  ScriptedOperator op;
  VirtualClock clock;
  GpibBus bus{gpib, op, clock};
  int16_t device = 0;
};

TEST_F(ScopeMeasurementTest, RepeatedReadingsAreAveragedAndTheirRepliesKept) {
  Replies({"1.0E-3\n", "2.0E-3\n", "3.0E-3\n"});
  const Measurement m = ReadMeasurement(bus, device, 3);
  ASSERT_TRUE(m.value);
  EXPECT_NEAR(*m.value, 2.0E-3, 1E-12);
  EXPECT_EQ(m.replies, (std::vector<std::string>{"1.0E-3", "2.0E-3", "3.0E-3"}));  // as the bus gives them
  EXPECT_EQ(gpib.WrittenTo(kScopeAddress), std::vector<std::string>(3, "MEASU:MEAS1:VAL?"));
  // Fewer than one repeat is one reading.
  Replies({"5.0E-1\n"});
  EXPECT_EQ(ReadMeasurement(bus, device, 0).Single(), 0.5f);
}

TEST_F(ScopeMeasurementTest, OneReadingTheScopeCouldNotMakeSpoilsTheMean) {
  Replies({"1.0E-3\n", "9.9E37\n"});
  const Measurement m = ReadMeasurement(bus, device, 2);
  EXPECT_FALSE(m.value);
  EXPECT_FALSE(m.Single());
  EXPECT_TRUE(m.replies.empty());
}

TEST_F(ScopeMeasurementTest, AQueryWithoutAnAnswerIsNoMeasurementNotZeroVolts) {
  // No reply queued: the read times out; an empty reply would otherwise read as 0 V.
  op.Expect("Read cycle failed\nOperation aborted.", 48, "I/O Error", kOk);
  const Measurement m = ReadMeasurement(bus, device, 1);
  EXPECT_FALSE(m.value);
  EXPECT_TRUE(op.ExpectAllConsumed());
}

}  // namespace
}  // namespace veridane::testing
