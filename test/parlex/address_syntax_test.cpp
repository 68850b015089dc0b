// Addressing (the buttons, Id All, the selection that survives closing) and both syntax-check
// methods against the simulated scope's status registers and an older serial-poll instrument.
#include <gtest/gtest.h>

#include <utility>

#include "sim/bench/bench.h"
#include "sim/sim_device.h"
#include "test/parlex/parlex_fixture.h"
#include "test/support/recording_gpib.h"

namespace veridane::parlex {
namespace {

using veridane::testing::RecordingGpib;

TEST(Addressing, IdAllListsFromTheLastListenerAndKeepsTheSelection) {
  RecordingGpib gpib;
  gpib.SetListeners({1, 5, 12});
  gpib.SetAnswer(12, "ID?", "  DEV12\r\n");
  gpib.SetAnswer(5, "*IDN?", "FIVE\n");
  VirtualClock clock;
  testing::ParlexRig rig(gpib, clock, {1, 5, 12});
  rig.Open();
  EXPECT_EQ(rig.view.buttons[2].caption, "12");
  EXPECT_TRUE(rig.view.buttons[2].enabled);
  EXPECT_FALSE(rig.view.buttons[3].enabled);

  rig.form->AddressClick(1);
  rig.form->IdAll();
  const ManualControls& c = rig.form->Controls();
  EXPECT_EQ(c.incoming, "12: DEV12\r\n05: FIVE\r\n01: No response\r\n");
  EXPECT_EQ(gpib.WrittenTo(5), (std::vector<std::string>{"ID?", "*IDN?"}));
  EXPECT_EQ(gpib.WrittenTo(12), (std::vector<std::string>{"ID?"}));
  EXPECT_EQ(c.Label(control::kReceivedCharacters), "");
  EXPECT_EQ(rig.state.SelectedAddress, 5);
  EXPECT_EQ(gpib.AddressOf(rig.state.PxDevice), 5);
  EXPECT_EQ(gpib.TimeoutOf(rig.state.PxDevice), 12);

  // Only "*ID&N?": one attempt per device.
  rig.form->OptionClicked(control::kID, false);
  rig.form->ClearIncoming();
  rig.form->IdAll();
  EXPECT_EQ(gpib.WrittenTo(1), (std::vector<std::string>{"ID?", "*IDN?", "*IDN?"}));

  // The selection outlives the window; the Outgoing box waits for a click again.
  ASSERT_TRUE(rig.Close());
  rig.Open();
  EXPECT_EQ(rig.state.SelectedAddress, 5);
  EXPECT_FALSE(rig.form->Controls().Enabled(control::kSendMessageList));
  EXPECT_FALSE(rig.form->Controls().address[1].bold);
}

TEST(Addressing, IdAllBeforeAnySelectionLeavesTheHandleWhereItWas) {
  RecordingGpib gpib;
  gpib.SetListeners({3, 4});
  VirtualClock clock;
  testing::ParlexRig rig(gpib, clock, {3, 4});
  rig.Open();
  rig.form->IdAll();
  EXPECT_EQ(gpib.AddressOf(rig.state.PxDevice), 3);
  EXPECT_EQ(rig.state.SelectedAddress, 0);
  // Clearing the box does not open the Outgoing Message box while no device is chosen.
  rig.form->ClearIncoming();
  EXPECT_FALSE(rig.form->Controls().Enabled(control::kSendMessageList));
}

// An instrument of the older kind: a command it does not know shows as 97 in its status byte.
class OldInstrument : public sim::SimDevice {
 public:
  void Receive(std::string_view message) override {
    if (message.rfind("ID?", 0) == 0) {
      answer_ = "OLD INSTRUMENT\n";
    } else if (message.rfind("SET ", 0) != 0) {
      statusByte_ = 97;
    }
  }
  std::optional<std::string> Respond() override { return std::exchange(answer_, std::nullopt); }
  uint8_t SerialPoll() override { return std::exchange(statusByte_, 0); }

 private:
  std::optional<std::string> answer_;
  uint8_t statusByte_ = 0;
};

class SyntaxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bench = sim::Bench::Shipped("scope-only", clock);
    bench->SimulatedBus().Attach(9, old);
    bench->SetTrace([this](const std::string& line) { trace.push_back(line); });
    rig = std::make_unique<testing::ParlexRig>(bench->Bus(), clock, std::vector<int16_t>{1, 9});
    rig->Open();
  }
  int Count(const std::string& line) { return static_cast<int>(std::count(trace.begin(), trace.end(), line)); }
  const ManualControls& c() { return rig->form->Controls(); }

  VirtualClock clock;
  std::unique_ptr<sim::Bench> bench;
  OldInstrument old;
  std::vector<std::string> trace;
  std::unique_ptr<testing::ParlexRig> rig;
};

TEST_F(SyntaxTest, StatusRegistersMethodCatchesAMistypedCommandAndSkipsTheRead) {
  rig->view.syntaxAnswers = {kStatusRegistersMethod};
  rig->form->AddressDoubleClick(0);
  ASSERT_EQ(rig->view.syntaxForms.size(), 1u);
  EXPECT_EQ(rig->view.syntaxForms[0].caption, " Syntax Checking for device at address 1 ");
  EXPECT_EQ(rig->view.syntaxForms[0].method, 0);
  EXPECT_TRUE(c().address[0].blue);
  EXPECT_EQ(Count("W 1 <- *SRE 48"), 1);

  rig->Send("CH1:SCAX .5");
  EXPECT_TRUE(c().timerEnabled);
  for (int tick = 0; tick < 7; ++tick) rig->form->Timer1Tick();
  EXPECT_FALSE(c().timerEnabled);
  EXPECT_TRUE(c().syntaxErrorVisible);
  EXPECT_EQ(rig->view.visibility.size(), 1u + 1u + 7u + 1u);  // load, send, seven blinks, the final show

  // A mistyped query is not read (no "I/O Error" after a 10 s wait), a good one is.
  rig->Send("IDX?");
  EXPECT_EQ(c().incoming, "");
  for (int tick = 0; tick < 7; ++tick) rig->form->Timer1Tick();
  rig->Send("ID?");
  EXPECT_FALSE(c().syntaxErrorVisible);
  EXPECT_NE(c().incoming.find("01: ID TEK/TDS 340"), std::string::npos) << c().incoming;
  EXPECT_EQ(Count("W 1 <- *CLS"), 3);

  // Reopening the choice shows the method; None stops the checks and the blue text.
  rig->view.syntaxAnswers = {kNoSyntaxCheck};
  rig->form->EnableSyntaxCheck();
  EXPECT_EQ(rig->view.syntaxForms[1].method, kStatusRegistersMethod);
  EXPECT_FALSE(c().address[0].blue);
  rig->Send("CH1:SCAX .5");
  EXPECT_EQ(Count("W 1 <- *CLS"), 3);
  EXPECT_FALSE(c().timerEnabled);
}

TEST_F(SyntaxTest, SerialPollMethodOnAnOlderInstrument) {
  rig->view.syntaxAnswers = {kSerialPollMethod};
  rig->form->AddressDoubleClick(1);
  EXPECT_TRUE(c().address[1].blue);
  EXPECT_EQ(Count("W 9 <- *SRE 48"), 0);  // nothing is written for this method

  rig->Send("SET 5");
  EXPECT_FALSE(c().timerEnabled);
  rig->Send("BOGUS?");
  EXPECT_TRUE(c().timerEnabled);
  EXPECT_EQ(c().incoming, "");
  rig->Send("ID?");
  EXPECT_EQ(c().incoming, "09: OLD INSTRUMENT\r\n");
}

TEST_F(SyntaxTest, ClosingTheChoiceWithoutCloseChangesNothing) {
  rig->view.syntaxAnswers = {std::nullopt};
  rig->form->AddressDoubleClick(0);
  EXPECT_EQ(rig->state.SyntaxMethod[1], kNoSyntaxCheck);
  EXPECT_EQ(c().focus, control::kSendMessageList);
}

}  // namespace
}  // namespace veridane::parlex
