#include "test/support/scripted_operator.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace veridane::testing {
namespace {

TEST(ScriptedOperator, AnswersExpectedPromptsInOrderAndRecordsThem) {
  ScriptedOperator technician;
  technician.Expect("Are you sure ?", 36, "Disable Auto Mode", kNo)
      .ExpectContaining("will be used for SG.", 35, "Auto mode possible", kYes);
  EXPECT_EQ(technician.PendingCount(), 2u);
  EXPECT_EQ(technician.ShowMessBox("Are you sure ?", 36, "Disable Auto Mode"), kNo);
  EXPECT_EQ(technician.ShowMessBox("Do you wish to continue in Auto mode ?\nSME will be used for SG.", 35,
                                   "Auto mode possible"),
            kYes);
  EXPECT_TRUE(technician.ExpectAllConsumed());
  ASSERT_EQ(technician.Prompts().size(), 2u);
  EXPECT_EQ(technician.Prompts()[0].caption, "Disable Auto Mode");
  EXPECT_EQ(technician.Prompts()[1].answer, kYes);
}

TEST(ScriptedOperator, RecordsInfoTextsAndBusy) {
  ScriptedOperator technician;
  technician.ShowInfo("Initializing TDS 340.");
  technician.ShowInfo("");
  technician.SetBusy(true);
  EXPECT_EQ(technician.InfoTexts(), (std::vector<std::string>{"Initializing TDS 340.", ""}));
  EXPECT_TRUE(technician.Busy());
}

TEST(ScriptedOperator, EndProgramThrows) {
  ScriptedOperator technician;
  EXPECT_THROW(technician.EndProgram(), ProgramEnded);
  EXPECT_EQ(technician.EndProgramCount(), 1);
}

TEST(ScriptedOperator, UnexpectedPromptFailsAndIsCancelled) {
  ScriptedOperator technician;
  BoxAnswer answer = kOk;
  EXPECT_NONFATAL_FAILURE(answer = technician.ShowMessBox("Surprise", 0, "X"), "Unexpected prompt");
  EXPECT_EQ(answer, kCancel);
  ASSERT_EQ(technician.Prompts().size(), 1u);
  EXPECT_EQ(technician.Prompts()[0].text, "Surprise");
}

TEST(ScriptedOperator, MismatchInTextStyleOrCaptionFails) {
  ScriptedOperator technician;
  technician.Expect("Are you sure ?", 36, "Disable Auto Mode", kYes);
  EXPECT_NONFATAL_FAILURE(technician.ShowMessBox("Are you sure ?", 4, "Disable Auto Mode"), "expected prompt");
  EXPECT_NONFATAL_FAILURE(technician.ShowMessBox("Are you sure ?", 36, "Disable auto mode"), "expected prompt");
  EXPECT_NONFATAL_FAILURE(technician.ShowMessBox("Are you sure?", 36, "Disable Auto Mode"), "expected prompt");
  // The expectation is still waiting for its prompt.
  EXPECT_EQ(technician.PendingCount(), 1u);
  EXPECT_EQ(technician.ShowMessBox("Are you sure ?", 36, "Disable Auto Mode"), kYes);
}

TEST(ScriptedOperator, SubstringExpectationNeedsThePart) {
  ScriptedOperator technician;
  technician.ExpectContaining("Auto mode", 35, "Q", kYes);
  EXPECT_NONFATAL_FAILURE(technician.ShowMessBox("manual mode", 35, "Q"), "text part");
}

TEST(ScriptedOperator, PromptsNeverShownAreReported) {
  ScriptedOperator technician;
  technician.Expect("One", 0, "A", kOk).Expect("Two", 0, "B", kOk);
  technician.ShowMessBox("One", 0, "A");
  bool consumed = true;
  EXPECT_NONFATAL_FAILURE(consumed = technician.ExpectAllConsumed(), "Expected prompt never shown");
  EXPECT_FALSE(consumed);
}

}  // namespace
}  // namespace veridane::testing
