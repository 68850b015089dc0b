#include "ui/qt/info_text.h"

#include <gtest/gtest.h>

namespace veridane {
namespace {

TEST(InfoText, ReplaceAppendAndClose) {
  InfoChange first = NextInfoText("", false, "Initializing TDS 340.");
  EXPECT_EQ(first.text, "Initializing TDS 340.");
  EXPECT_TRUE(first.show);

  InfoChange second = NextInfoText(first.text, true, "+Please Wait ...");
  EXPECT_EQ(second.text, "Initializing TDS 340.\nPlease Wait ...");
  EXPECT_FALSE(second.show);

  InfoChange replaced = NextInfoText(second.text, true, "Please wait while the program shuts down.");
  EXPECT_EQ(replaced.text, "Please wait while the program shuts down.");
  EXPECT_FALSE(replaced.show);

  InfoChange closed = NextInfoText(replaced.text, true, "");
  EXPECT_EQ(closed.text, "");
  EXPECT_FALSE(closed.show);
}

TEST(InfoText, AddedLineWithNothingShownOpensTheWindow) {
  InfoChange change = NextInfoText("", false, "+Please Wait ...");
  EXPECT_EQ(change.text, "Please Wait ...");
  EXPECT_TRUE(change.show);
}

TEST(InfoText, TextKeptWhileTheWindowWasClosedByHandIsShownAgain) {
  InfoChange change = NextInfoText("Initializing TDS 340.", false, "+Please Wait ...");
  EXPECT_EQ(change.text, "Initializing TDS 340.\nPlease Wait ...");
  EXPECT_TRUE(change.show);
}

TEST(InfoText, PlusAloneAddsAnEmptyLine) {
  EXPECT_EQ(NextInfoText("a", true, "+").text, "a\n");
}

}  // namespace
}  // namespace veridane
