// Parlex at a terminal, driven by a script on the simulated bench.
#include <gtest/gtest.h>

#include <sstream>

#include "sim/bench/bench.h"
#include "test/parlex/parlex_fixture.h"
#include "ui/console/console_parlex.h"

namespace veridane {
namespace {

class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override { bench = sim::Bench::Shipped("default", clock); }
  int Run(const std::string& script) {
    ParlexConsoleSeams seams{bench->Bus(), technician,   clock, settings, folder.Path() + "/Parlex",
                             {1, 5, 6, 7, 8, 11, 12}, DriverTimeout::ThreeSeconds, folder.Path() + "/history.txt"};
    std::istringstream in(script);
    return RunParlexConsole(seams, in, out, err);
  }

  VirtualClock clock;
  std::unique_ptr<sim::Bench> bench;
  parlex::testing::TempFolder folder;
  veridane::testing::ScriptedOperator technician;
  MemorySettings settings;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(ConsoleTest, AnswersCarryTheirAddressAndCountAndTheHistoryIsKept) {
  EXPECT_EQ(Run("ID?\n:addr 7\nID?\r\nINIT\n:quit\nID?\n"), kParlexExitOk);
  const std::string text = out.str();
  EXPECT_NE(text.find("01: ID TEK/TDS 340"), std::string::npos) << text;
  EXPECT_NE(text.find("Address 7\n07: "), std::string::npos) << text;
  EXPECT_NE(text.find(" bytes)\n"), std::string::npos);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(parlex::testing::ReadBytes(folder.Path() + "/history.txt"), "ID?\r\nID?\r\nINIT\r\n");
}

TEST_F(ConsoleTest, SyntaxErrorsAndTimeoutsMakeTheRunFail) {
  technician.Expect("Read cycle failed\nOperation aborted.", 48, "I/O Error", kOk);
  EXPECT_EQ(Run(":syntax 1 status\nCH1:SCAX .5\nCH1:SCA?\n:syntax 1 off\nBOGUS?\n:addr 3\n:frobnicate\n"),
            kParlexExitFailed);
  const std::string text = out.str();
  EXPECT_NE(text.find("Syntax Error\n"), std::string::npos) << text;
  EXPECT_NE(text.find("01: "), std::string::npos) << text;  // the good query after the mistake
  EXPECT_NE(err.str().find("No listener at address 3."), std::string::npos);
  EXPECT_NE(err.str().find("Unknown command: :frobnicate"), std::string::npos);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(ConsoleTest, MessagesForAMissingListenerReachNoOtherDevice) {
  EXPECT_EQ(Run(":addr 3\nID?\n:addr 1\nID?\n:addr 1e99\n"), kParlexExitFailed);
  EXPECT_NE(err.str().find("No listener at address 3.\nNo device selected: use :addr N.\n"), std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find("No listener at address 1e99."), std::string::npos) << "a number no address can be";
  // Only the second ID? was sent, to the scope once it was chosen again.
  const std::string text = out.str();
  EXPECT_EQ(text.find("01: ID TEK"), text.rfind("01: ID TEK")) << text;
  EXPECT_NE(text.find("Address 1\n01: ID TEK"), std::string::npos) << text;
}

TEST_F(ConsoleTest, AnswerToAFileAndAFileToTheDevice) {
  const std::string answer = folder.Path() + "/id file.dat";
  parlex::testing::WriteBytes(folder.Path() + "/cmd.dat", "CH1:SCA .2");
  technician.ExpectContaining("For incoming data transfer to a file", 52, "Warning", kYes);
  technician.ExpectContaining("For this data transfer to a device", 52, "Warning", kYes);
  technician.ExpectContaining("Are you sure you want to send the content of the file: cmd.dat", 36,
                              "Send Datafile to Device", kYes);
  EXPECT_EQ(Run(":tofile " + answer + "\nID?\n:sendfile " + folder.Path() + "/cmd.dat\nCH1:SCA?\n"), kParlexExitOk);
  EXPECT_EQ(parlex::testing::ReadBytes(answer).rfind("ID TEK/TDS 340", 0), 0u);
  EXPECT_NE(out.str().find("01: :CH1:SCALE 2.0"), std::string::npos) << out.str();
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

}  // namespace
}  // namespace veridane
