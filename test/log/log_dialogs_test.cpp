#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "log/create_log_form.h"
#include "log/log_dialogs.h"
#include "log/open_log_form.h"
#include "test/support/scripted_operator.h"

namespace veridane {
namespace {

using testing::ScriptedOperator;
using Control = CreateLogForm::Control;

TEST(CreateLogForm, SerialIsUpperCasedAndCopiedIntoTheName) {
  ScriptedOperator technician;
  CreateLogForm form(technician);
  EXPECT_FALSE(form.OkEnabled());
  form.SerialChanged("a1-b");
  EXPECT_EQ(form.Serial(), "A1-B");
  EXPECT_EQ(form.Name(), "A1-B");
  EXPECT_TRUE(form.OkEnabled());
  form.NameChanged("unit7");
  form.OperatorChanged("Anna");
  ASSERT_TRUE(form.Ok());
  ASSERT_TRUE(form.Result().has_value());
  EXPECT_EQ(form.Result()->serial, "A1-B");
  EXPECT_EQ(form.Result()->name, "unit7");
  EXPECT_EQ(form.Result()->operatorName, "Anna");
  EXPECT_FALSE(form.Result()->idMode);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST(CreateLogForm, BadNamesAreReportedAndTheDialogStaysAsItIs) {
  ScriptedOperator technician;
  technician.Expect("Logfile Name must be without extension.", 16, "Filename Error", kOk)
      .Expect("Logfile Name contains illegal character: /.", 16, "Filename Error", kOk)
      .Expect("Logfile Name must be without extension.", 16, "Filename Error", kOk)
      .Expect("Logfile Name contains illegal character: \\.", 16, "Filename Error", kOk)
      .Expect("Logfile Name contains a control character.", 16, "Filename Error", kOk);
  CreateLogForm form(technician);
  form.SerialChanged("x");
  for (const char* bad : {"test.log", "a/b", "a*b.c", "up\\dir", "tab\there"}) {
    form.NameChanged(bad);
    EXPECT_FALSE(form.Ok()) << bad;
    EXPECT_EQ(form.Name(), bad);
    EXPECT_FALSE(form.Result().has_value());
  }
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST(CreateLogForm, IdModeKeepsCaseEmptiesTheSerialAndIsReturned) {
  ScriptedOperator technician;
  CreateLogForm form(technician);
  form.SerialChanged("abc");
  form.CheckIdClicked(true);
  EXPECT_EQ(form.Serial(), "");
  EXPECT_EQ(form.Name(), "");  // the name followed the emptied serial box
  EXPECT_STREQ(form.SerialLabel(), "ID: ");
  EXPECT_EQ(form.SerialWidthTwips(), 1935);
  EXPECT_EQ(form.TakeFocusRequest(), Control::SerialNumber);
  EXPECT_EQ(form.TakeFocusRequest(), std::nullopt);
  form.SerialChanged("Bench 3");
  EXPECT_EQ(form.Serial(), "Bench 3");
  ASSERT_TRUE(form.Ok());
  EXPECT_TRUE(form.Result()->idMode);
  EXPECT_EQ(form.Result()->name, "Bench 3");

  // A name typed by hand survives ticking the box while the serial box is empty.
  CreateLogForm typed(technician);
  typed.NameChanged("mine");
  typed.CheckIdClicked(true);
  typed.CheckIdClicked(false);
  EXPECT_EQ(typed.Name(), "mine");
  EXPECT_STREQ(typed.SerialLabel(), "Serial Number: ");
}

TEST(CreateLogForm, EnterWalksTheFieldsAndNamesStopAt18Characters) {
  ScriptedOperator technician;
  CreateLogForm form(technician);
  EXPECT_EQ(form.EnterPressed(Control::SerialNumber), Control::LogFileName);
  EXPECT_EQ(form.EnterPressed(Control::LogFileName), Control::OperatorName);
  EXPECT_EQ(form.EnterPressed(Control::OperatorName), Control::Comments);
  EXPECT_EQ(form.EnterPressed(Control::Comments), Control::CancelButton);
  form.NameChanged("n");
  EXPECT_EQ(form.EnterPressed(Control::Comments), Control::OkButton);
  form.NameChanged("");
  EXPECT_FALSE(form.OkEnabled());
  EXPECT_FALSE(form.Ok());

  form.NameChanged("123456789012345678X");
  EXPECT_EQ(form.Name(), "123456789012345678");
  form.SerialChanged("abcdefghijklmnopqrstu");
  EXPECT_EQ(form.Name(), "ABCDEFGHIJKLMNOPQR");
  EXPECT_EQ(form.Serial(), "ABCDEFGHIJKLMNOPQRSTU");
  form.Cancel();
  EXPECT_FALSE(form.Result().has_value());
}

class OpenLogFormTest : public ::testing::Test {
 protected:
  OpenLogFormTest() : folder(std::filesystem::temp_directory_path() / ("openlog_" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(folder / "sub.log");
    for (const char* name : {"unit7.log", "a.log", "unit7.tst", "notes.txt", ".log", "caf\xC3\xA9.log", "\xE2\x82\xAC.log", "\xE6\x97\xA5.log"})
      std::ofstream(folder / name) << "x";
  }
  ~OpenLogFormTest() override { std::filesystem::remove_all(folder); }
  std::filesystem::path folder;
};

TEST_F(OpenLogFormTest, ListsTheLogsAndOpensTheOneChosen) {
  OpenLogForm form(folder.string());
  // Folders, other extensions and names without an 8-bit form are left out.
  EXPECT_EQ(form.Files(), (std::vector<std::string>{"a.log", "caf\xE9.log", "unit7.log", "\x80.log"}));
  EXPECT_FALSE(form.OpenEnabled());
  EXPECT_EQ(form.Open(), std::nullopt);
  form.Click(99);
  EXPECT_FALSE(form.OpenEnabled());
  form.Click(2);
  EXPECT_TRUE(form.OpenEnabled());
  EXPECT_EQ(form.Open(), "unit7");
  EXPECT_EQ(form.DoubleClick(1), "caf\xE9");
  EXPECT_TRUE(OpenLogForm((folder / "missing").string()).Files().empty());
}

TEST_F(OpenLogFormTest, PresetAnswersFollowTheDialogsRules) {
  ScriptedOperator technician;
  technician.Expect("Logfile Name must be without extension.", 16, "Filename Error", kOk)
      .Expect("Logfile Name contains illegal character: /.", 16, "Filename Error", kOk);
  PresetLogDialogs dialogs(technician);
  EXPECT_EQ(dialogs.CreateLogFileForm(), std::nullopt);
  dialogs.SetCreateAnswer(CreateLogEntries{"b123", "unit7", "", "", false});
  auto entries = dialogs.CreateLogFileForm();
  ASSERT_TRUE(entries.has_value());
  EXPECT_EQ(entries->serial, "B123");
  EXPECT_EQ(entries->name, "unit7");
  dialogs.SetCreateAnswer(CreateLogEntries{"b123", "../etc/x", "", "", false});
  EXPECT_EQ(dialogs.CreateLogFileForm(), std::nullopt);
  dialogs.SetCreateAnswer(CreateLogEntries{"", "etc/x", "", "", false});
  EXPECT_EQ(dialogs.CreateLogFileForm(), std::nullopt);

  dialogs.SetOpenAnswer("unit7");
  EXPECT_EQ(dialogs.OpenLogFileForm(folder.string()), "unit7");
  dialogs.SetOpenAnswer("gone");
  EXPECT_EQ(dialogs.OpenLogFileForm(folder.string()), std::nullopt);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

}  // namespace
}  // namespace veridane
