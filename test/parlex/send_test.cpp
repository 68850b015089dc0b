// Sending: query detection, terminators, the answer's lines, the size limit, the history and
// the help text, against a recording driver.
#include <gtest/gtest.h>

#include "parlex/message_text.h"
#include "test/parlex/parlex_fixture.h"
#include "test/support/recording_gpib.h"

namespace veridane::parlex {
namespace {

using veridane::testing::RecordingGpib;

class SendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gpib.SetListeners({5});
    rig.Open();
  }
  const ManualControls& c() { return rig.form->Controls(); }

  RecordingGpib gpib;
  VirtualClock clock;
  testing::ParlexRig rig{gpib, clock, {5}};
};

TEST_F(SendTest, QueryIsWrittenAsTypedWithTheChosenTerminatorsAndTheAnswerListed) {
  rig.form->OptionClicked(control::kAddCR, true);
  rig.form->OptionClicked(control::kAddLF, true);
  gpib.SetAnswer(5, "ID?", "TEK/TDS 340,V1.04\r\n");
  rig.Send("  ID?  ");
  EXPECT_EQ(gpib.WrittenTo(5), (std::vector<std::string>{"ID?\r\n"}));
  EXPECT_EQ(c().incoming, "05: TEK/TDS 340,V1.04\r\n");
  EXPECT_EQ(c().Label(control::kReceivedCharacters), " 17 ");
  EXPECT_TRUE(c().Enabled(control::kClearIncoming));
  EXPECT_TRUE(c().Enabled(control::kClrIncoming));
  EXPECT_EQ(c().focus, control::kSendMessageList);
}

TEST_F(SendTest, DoubleQuestionMarkAndCommandsWithoutQuestionMark) {
  gpib.SetAnswer(5, "ID", "X\n");
  rig.Send("ID??");
  EXPECT_EQ(c().incoming, "05: X\r\n");

  // A command is written and nothing is read.
  rig.Send("INIT");
  EXPECT_EQ(gpib.Count("ibrd"), 1);

  // "??" alone writes nothing and reads what the device still holds.
  gpib.AddReply(5, "LEFT\n");
  rig.Send("??");
  EXPECT_EQ(gpib.WrittenTo(5), (std::vector<std::string>{"ID", "INIT"}));
  EXPECT_NE(c().incoming.find("05: LEFT\r\n"), std::string::npos);

  // A "?" in the middle of a chain makes it a query.
  gpib.AddReply(5, ".5\n");
  rig.Send("CH1:SCA .5;CH1:SCA?;INIT");
  EXPECT_EQ(gpib.Count("ibrd"), 3);
}

TEST_F(SendTest, ReadTimeoutShowsTheIoErrorAndAnEmptyAnswer) {
  rig.technician.Expect("Read cycle failed\nOperation aborted.", 48, "I/O Error", kOk);
  rig.Send("SET?");
  EXPECT_TRUE(rig.technician.ExpectAllConsumed());
  EXPECT_EQ(c().incoming, "");
  EXPECT_EQ(c().Label(control::kReceivedCharacters), " 0 ");
  // The handle is back on its own timeout after the 10 s read.
  EXPECT_EQ(gpib.TimeoutOf(rig.state.PxDevice), 12);
}

TEST_F(SendTest, WriteErrorSkipsTheReadAndCancelEndsTheProgram) {
  gpib.FailNext("ibwrt", kEnol);
  rig.technician.Expect("No listener on write function.\nSelect OK to continue or Cancel to terminate program.", 49,
                        "GPIB ERROR # 2", kOk);
  rig.Send("ID?");
  EXPECT_EQ(gpib.Count("ibrd"), 0);

  gpib.FailNext("ibwrt", kEnol);
  rig.technician.ExpectContaining("No listener", 49, "GPIB ERROR # 2", kCancel);
  EXPECT_THROW(rig.Send("ID?"), ProgramEnded);
}

TEST_F(SendTest, SizeLimitOfTheIncomingBox) {
  gpib.AddReply(5, std::string(29252, 'a') + "\n");
  rig.Send("CURVE?");
  EXPECT_EQ(c().Label(control::kReceivedCharacters), " 29252 ");

  // The next answer would not fit: Cancel keeps the box, OK empties it first.
  gpib.AddReply(5, "B\n");
  rig.technician.ExpectContaining("the previous must be cleared", 49, "Too large string - 30k list limit exceeded",
                                  kCancel);
  rig.Send("ID?");
  EXPECT_EQ(c().incoming.size(), kIncomingLimit);
  gpib.AddReply(5, "B\n");
  rig.technician.ExpectContaining("the previous must be cleared", 49, "Too large string - 30k list limit exceeded",
                                  kOk);
  rig.Send("ID?");
  EXPECT_EQ(c().incoming, "05: B\r\n");

  gpib.AddReply(5, std::string(29253, 'a') + "\n");
  rig.technician.Expect(
      "This this Incoming Message is too large to capture.\nTry saving it to a file instead.\n\nYou will have to "
      "resend the query !",
      16, "Too large string - 30k list limit exceeded", kOk);
  rig.Send("CURVE?");
  EXPECT_EQ(c().incoming, "05: B\r\n");
  EXPECT_TRUE(rig.technician.ExpectAllConsumed());
}

TEST_F(SendTest, HistoryMatchesIgnoringCaseUnlessMultipleEntriesAreAllowed) {
  ASSERT_EQ(c().list.size(), 6u);  // "<Help>" and the five defaults
  rig.Send("init");
  EXPECT_EQ(c().list.size(), 6u);
  EXPECT_EQ(c().selected, 3);
  EXPECT_EQ(c().outgoing, "INIT");
  EXPECT_FALSE(rig.form->ListChanged());
  EXPECT_TRUE(c().Enabled(control::kDelete));

  rig.form->OptionClicked(control::kAllowMultiple, true);
  rig.Send("init");
  EXPECT_EQ(c().list.back(), "init");
  EXPECT_EQ(c().selected, 6);
  EXPECT_TRUE(rig.form->ListChanged());
  EXPECT_TRUE(c().Enabled(control::kClearHistory));
  EXPECT_TRUE(c().Enabled(control::kLoadStartup));
}

TEST_F(SendTest, NextEntryIsSelectedAfterSendButTheLastStays) {
  rig.form->OptionClicked(control::kSelectNext, true);
  rig.form->EntryPicked(3);  // INIT
  rig.form->SendMessage();
  EXPECT_EQ(c().selected, 4);
  EXPECT_EQ(c().outgoing, "FAC");
  rig.form->EntryPicked(5);  // SET?, the last
  gpib.AddReply(5, "X\n");
  rig.form->SendMessage();
  EXPECT_EQ(c().selected, 5);
}

TEST_F(SendTest, HelpIsShownOnceAndClearedWithTheIncomingBox) {
  rig.form->HelpMenu();
  EXPECT_EQ(c().incoming, HelpText());
  EXPECT_FALSE(c().Enabled(control::kHelp));
  EXPECT_FALSE(c().Enabled(control::kSendMessageList));
  EXPECT_FALSE(c().Enabled(control::kSendMessage));
  EXPECT_EQ(gpib.Count("ibwrt"), 0);

  // "<Help>" sent again while the help is shown only clears the text.
  rig.form->EntryPicked(0);
  rig.form->SendMessage();
  EXPECT_EQ(c().outgoing, "");
  EXPECT_EQ(c().incoming, HelpText());

  rig.form->ClearIncoming();
  EXPECT_EQ(c().incoming, "");
  EXPECT_TRUE(c().Enabled(control::kHelp));
  EXPECT_TRUE(c().Enabled(control::kSendMessageList));
  EXPECT_FALSE(c().Enabled(control::kClearIncoming));
}

TEST_F(SendTest, KeysCapitalsEnterCompletionAndDownArrow) {
  EXPECT_EQ(rig.form->KeyTyped('a'), 'A');
  rig.form->OptionClicked(control::kCaps, false);
  EXPECT_EQ(rig.form->KeyTyped('a'), 'a');

  rig.form->OptionClicked(control::kCheckListForMatch, true);
  rig.Type("*i");
  rig.form->KeyReleased('I');
  EXPECT_EQ(c().outgoing, "*IDN?");
  EXPECT_EQ(c().selected, 2);
  EXPECT_EQ(rig.view.selection, (std::pair<size_t, size_t>{2, 3}));
  // Backspace never completes.
  rig.Type("F");
  rig.form->KeyReleased(8);
  EXPECT_EQ(c().outgoing, "F");

  rig.form->EntryPicked(0);
  rig.form->KeyReleased(40);
  EXPECT_EQ(c().outgoing, "ID?");

  // Enter sends only while Send is enabled.
  rig.Type("");
  EXPECT_EQ(rig.form->KeyTyped(13), 0);
  EXPECT_EQ(gpib.Count("ibwrt"), 0);
  rig.Type("INIT");
  rig.form->KeyTyped(13);
  EXPECT_EQ(gpib.WrittenTo(5), (std::vector<std::string>{"INIT"}));
}

TEST_F(SendTest, OptionsAreReadAtActivationAndOnlyChangedOnesWritten) {
  rig.form->OptionClicked(control::kAddLF, true);
  rig.form->AutoClearClicked();
  ASSERT_TRUE(rig.Close());
  EXPECT_EQ(rig.settings.Get("Parlex", "Settings", "Add LF", "?"), "1");
  EXPECT_EQ(rig.settings.Get("Parlex", "Settings", "Auto Clear", "?"), "1");
  EXPECT_EQ(rig.settings.Get("Parlex", "Settings", "Add CR", "?"), "?");

  rig.settings.Save("Parlex", "Settings", "Send To File", "1");
  rig.settings.Save("Parlex", "Settings", "ID", "0.4");
  rig.Open();
  EXPECT_TRUE(c().Checked(control::kAddLF));
  EXPECT_TRUE(c().Checked(control::kSendToFile));
  EXPECT_FALSE(c().Enabled(control::kAutoClear));
  EXPECT_FALSE(c().Checked(control::kID));
  EXPECT_TRUE(c().Enabled(control::kIdAll));  // "*IDN?" is still checked
  rig.form->OptionClicked(control::kIDN, false);
  EXPECT_FALSE(c().Enabled(control::kIdAll));
}

}  // namespace
}  // namespace veridane::parlex
