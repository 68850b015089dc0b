#include "ui/console/console_operator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace veridane {
namespace {

ConsoleOperator WithAnswers(const std::string& content, std::ostream& out) {
  return ConsoleOperator(ConsoleOperator::ParseAnswers(content, "answers.txt"), out);
}

TEST(ConsoleOperator, AnswersAffirmativelyByDefault) {
  std::ostringstream out;
  ConsoleOperator technician(out);
  EXPECT_EQ(technician.ShowMessBox("Go on ?", kOkOnly, "A"), kOk);
  EXPECT_EQ(technician.ShowMessBox("Go on ?", kOkCancel, "A"), kOk);
  EXPECT_EQ(technician.ShowMessBox("Go on ?", kAbortRetryIgnore, "A"), kRetry);
  EXPECT_EQ(technician.ShowMessBox("Go on ?", kYesNoCancel + kQuestion, "A"), kYes);
  EXPECT_EQ(technician.ShowMessBox("Go on ?", kYesNo + kCritical, "A"), kYes);
  EXPECT_EQ(technician.ShowMessBox("Go on ?", kRetryCancel, "A"), kRetry);
}

TEST(ConsoleOperator, PrintsTitleTextButtonsAndAnswerInUtf8) {
  std::ostringstream out;
  ConsoleOperator technician(out);
  technician.ShowMessBox("Set 5 \xB5s\r\nthen press OK", kOkCancel + kExclamation, "Timebase");
  const std::string printed = out.str();
  EXPECT_NE(printed.find(" TIMEBASE  < ! >\n"), std::string::npos) << printed;
  EXPECT_NE(printed.find("Set 5 \xC2\xB5s\nthen press OK\n"), std::string::npos) << printed;
  EXPECT_NE(printed.find("[OK] [Cancel] -> OK"), std::string::npos) << printed;
}

TEST(ConsoleOperator, FirstMatchingLineWins) {
  std::ostringstream out;
  ConsoleOperator technician = WithAnswers(
      "# answers for the nightly run\n"
      "\n"
      "^Auto mode possible$\tNo\n"
      "Disable\t7\r\n"
      "Auto\tCancel\n",
      out);
  EXPECT_EQ(technician.ShowMessBox("Do you wish ...", kYesNoCancel + kQuestion, "Auto mode possible"), kNo);
  EXPECT_EQ(technician.ShowMessBox("x", kYesNoCancel, "Auto mode"), kCancel);
  EXPECT_EQ(technician.ShowMessBox("Are you sure ?", kYesNo + kQuestion, "Disable Auto Mode"), kNo);
  // "Auto" also matches here, but the earlier line wins.
  EXPECT_EQ(technician.ShowMessBox("x", kYesNoCancel, "Disable Auto Mode"), kNo);
  // No line matches: the affirmative answer.
  EXPECT_EQ(technician.ShowMessBox("x", kYesNo, "Other"), kYes);
}

TEST(ConsoleOperator, ThreeFieldRulesTellPromptsWithOneCaptionApartByTheirText) {
  std::ostringstream out;
  ConsoleOperator technician = WithAnswers(
      "^Offset at Zero$\tDisconnect\tCancel\n"
      "^DC Voltage\tCH ?2\tNo\n"
      "^DC Voltage\tYes\n"
      "Bench\t\xC2\xB5s$\tNo\n",  // a UTF-8 pattern matches the 8-bit text
      out);
  EXPECT_EQ(technician.ShowMessBox("Disconnect all input signals.", kOkCancel + kInformation, "Offset at Zero"),
            kCancel);
  // Same caption, other text: no rule, so the affirmative answer.
  EXPECT_EQ(technician.ShowMessBox("Connect the cable.", kOkCancel, "Offset at Zero"), kOk);
  // The text rule first, the caption-only rule for the rest; CR LF in the text is one line break.
  EXPECT_EQ(technician.ShowMessBox("Set the calibrator\r\nto CH 2", kYesNo, "DC Voltage Measurement"), kNo);
  EXPECT_EQ(technician.ShowMessBox("Set the calibrator\r\nto CH 1", kYesNo, "DC Voltage Measurement"), kYes);
  EXPECT_EQ(technician.ShowMessBox("Set 5 \xB5s", kYesNo, "Bench"), kNo);

  auto messageOf = [](const std::string& content) {
    try {
      ConsoleOperator::ParseAnswers(content, "run.answers");
    } catch (const AnswersFileError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_NE(messageOf("A\tb\tc\tOK\n").find("line 1: expected a caption pattern"), std::string::npos);
  EXPECT_NE(messageOf("A\t(x\tOK\n").find("line 1: bad text pattern \"(x\""), std::string::npos);
  EXPECT_NE(messageOf("A\tx\tSure\n").find("unknown answer \"Sure\""), std::string::npos);
}

TEST(ConsoleOperator, AnswerTheBoxLacksIsReportedAndAffirmativeUsed) {
  std::ostringstream out;
  ConsoleOperator technician = WithAnswers("Setup\tCancel\n", out);
  EXPECT_EQ(technician.ShowMessBox("Connect ...", kInformation, "Setup"), kOk);
  EXPECT_NE(out.str().find("line 1: the box has no Cancel button; answering OK"), std::string::npos) << out.str();
}

TEST(ConsoleOperator, AnswerWordsInAnyCase) {
  std::ostringstream out;
  ConsoleOperator technician = WithAnswers("A\tignore\nB\t  ABORT  \n", out);
  EXPECT_EQ(technician.ShowMessBox("x", kAbortRetryIgnore, "A"), kIgnore);
  EXPECT_EQ(technician.ShowMessBox("x", kAbortRetryIgnore, "B"), kAbort);
}

TEST(ConsoleOperator, MalformedFilesNameTheLine) {
  auto messageOf = [](const std::string& content) {
    try {
      ConsoleOperator::ParseAnswers(content, "run.answers");
    } catch (const AnswersFileError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_NE(messageOf("# ok\nSetup OK\n").find("run.answers, line 2: expected a caption pattern, a tab"),
            std::string::npos);
  EXPECT_NE(messageOf("Setup\tMaybe\n").find("line 1: unknown answer \"Maybe\""), std::string::npos);
  EXPECT_NE(messageOf("Setup\t8\n").find("unknown answer \"8\""), std::string::npos);
  EXPECT_NE(messageOf("Setup\t\n").find("unknown answer"), std::string::npos);
  EXPECT_NE(messageOf("\n\n(unclosed\tOK\n").find("line 3: bad caption pattern \"(unclosed\""), std::string::npos);
  EXPECT_EQ(messageOf("# only comments\n   \n"), "no error");
}

TEST(ConsoleOperator, ReadAnswersReadsTheFileOrSaysWhyNot) {
  std::ostringstream out;
  const std::filesystem::path missing = std::filesystem::temp_directory_path() / "veridane-no-such-answers.txt";
  try {
    ConsoleOperator::ReadAnswers(missing.string());
    FAIL() << "a missing file must be an error";
  } catch (const AnswersFileError& error) {
    EXPECT_NE(std::string(error.what()).find(missing.string()), std::string::npos);
  }

  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("veridane-answers-" + std::to_string(::getpid()) + ".txt");
  {
    std::ofstream file(path, std::ios::binary);
    // UTF-8 in the file matches the 8-bit caption.
    file << "^5 \xC2\xB5s$\tNo\n";
  }
  ConsoleOperator technician(ConsoleOperator::ReadAnswers(path.string()), out);
  std::filesystem::remove(path);
  EXPECT_EQ(technician.ShowMessBox("x", kYesNo, "5 \xB5s"), kNo);
}

TEST(ConsoleOperator, InfoTextsArePrintedAndEndProgramThrows) {
  std::ostringstream out;
  ConsoleOperator technician(out);
  technician.ShowInfo("Initializing TDS 340.");
  technician.ShowInfo("+Please Wait ...");
  technician.ShowInfo("");
  EXPECT_EQ(out.str(), "(info) Initializing TDS 340.\n(info) Please Wait ...\n");
  EXPECT_THROW(technician.EndProgram(), ProgramEnded);
}

TEST(ConsoleOperator, EndlesslyRepeatedPromptEndsTheRunInsteadOfHanging) {
  std::ostringstream out;
  ConsoleOperator technician(out);
  for (int i = 1; i < ConsoleOperator::kRepeatLimit; ++i)
    ASSERT_EQ(technician.ShowMessBox("Read failed", kAbortRetryIgnore, "GPIB"), kRetry);
  EXPECT_THROW(technician.ShowMessBox("Read failed", kAbortRetryIgnore, "GPIB"), ProgramEnded);
  EXPECT_NE(out.str().find("The same prompt came 50 times among the last 100 prompts"), std::string::npos);
}

TEST(ConsoleOperator, PromptsThatMoveOnNeverEndTheRunButACircleOfPromptsDoes) {
  std::ostringstream out;
  ConsoleOperator technician(out);
  // A long run by hand: the same captions over and over, each time for another setting.
  for (int i = 0; i < 3 * ConsoleOperator::kRepeatLimit; ++i) {
    ASSERT_NO_THROW(technician.ShowMessBox("Set channel " + std::to_string(i % 4 + 1) + " to " + std::to_string(i / 4),
                                           kOkCancel, "Prompt"));
  }
  // An error and its "continue?" answered the same way each time go round for ever.
  int shown = 0;
  EXPECT_THROW(
      for (;;) {
        technician.ShowMessBox("The frequency is out of limit!", kOkCancel, "FREQUENCY ERROR");
        technician.ShowMessBox("Do you wish to continue ?", kYesNo, "LARGE FREQUENCY ERROR");
        ASSERT_LT(++shown, ConsoleOperator::kRepeatLimit) << "the circle was not noticed";
      },
      ProgramEnded);
  EXPECT_NE(out.str().find("The same prompt came 50 times among the last 100 prompts with the same answer"),
            std::string::npos)
      << out.str();
}

TEST(ConsoleOperator, AQuestionThatKeepsComingBackForOneStepIsAnsweredNo) {
  std::ostringstream out;
  ConsoleOperator technician(out);
  uint64_t step = 1;
  std::vector<std::string> bounded;
  technician.SetStepMark([&step] { return step; });
  technician.OnQuestionBounded([&bounded](std::string_view caption) { bounded.emplace_back(caption); });
  const char* question = "Unable set the SG 5030 amplitude to within 3.00%.\n\nDo you wish to try again ?";
  for (int i = 0; i < ConsoleOperator::kQuestionBound; ++i)
    ASSERT_EQ(technician.ShowMessBox(question, kYesNo + kCritical, "Amplitude Error"), kYes);
  // An error box in between is no new step; boxes without a No are never bounded.
  for (int i = 0; i < 2 * ConsoleOperator::kQuestionBound; ++i)
    ASSERT_EQ(technician.ShowMessBox("Timeout", kOkCancel, "GPIB ERROR # 6"), kOk);
  EXPECT_EQ(technician.ShowMessBox(question, kYesNo + kCritical, "Amplitude Error"), kNo);
  EXPECT_EQ(bounded, std::vector<std::string>{"Amplitude Error"});
  EXPECT_NE(out.str().find("(asked 6 times for this step: answering No)"), std::string::npos) << out.str();

  // The next step (a row shown) may ask again.
  ++step;
  EXPECT_EQ(technician.ShowMessBox(question, kYesNo + kCritical, "Amplitude Error"), kYes);
}

TEST(ConsoleOperator, AnswersGivenByTheBenchsTechnicianCountForTheRepeatGuard) {
  std::ostringstream out;
  ConsoleOperator technician(out);
  for (int i = 1; i < ConsoleOperator::kRepeatLimit; ++i)
    ASSERT_NO_THROW(technician.Witness("Unable to read", BoxStyle(kOkCancel).Code(), "GPIB ERROR # 6", kOk));
  EXPECT_THROW(technician.Witness("Unable to read", BoxStyle(kOkCancel).Code(), "GPIB ERROR # 6", kOk), ProgramEnded);
}

}  // namespace
}  // namespace veridane
