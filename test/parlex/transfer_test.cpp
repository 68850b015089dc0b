// File transfers: a query's answer into a file (once or always), a file to the device, the
// one-time warnings, the 100 s timeout and stopping a capture.
#include <gtest/gtest.h>

#include <functional>

#include "sim/bench/bench.h"
#include "test/parlex/parlex_fixture.h"
#include "test/support/recording_gpib.h"

namespace veridane::parlex {
namespace {

using veridane::testing::RecordingGpib;

constexpr const char* kIncomingWarning =
    "NOTE!  For incoming data transfer to a file the timeout will be set to 100 secs which means that\nin case of a "
    "syntax error in the query the computer will appear locked for this amount of time.\nYou may prevent this by "
    "enabling the Syntax Check feature. Also be aware of that the incoming\ndata will not be displayed in the "
    "Incoming Data list.\n\nThis message will be displayed only once.\n\nDo you wish to continue ?";
constexpr const char* kCaptureTimeout =
    "This may be due to either a syntax error or a transfer longer than 100 secs. In the latter case the\ndata "
    "transfer may be incomplete and there is probably remaining data in the device's output buffer.\nTo clear, "
    "uncheck \"Send Received Data to File\" and send a single questionmark (?).";

class SimTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bench = sim::Bench::Shipped("scope-only", clock);
    bench->SetTrace([this](const std::string& line) { trace.push_back(line); });
    rig = std::make_unique<testing::ParlexRig>(bench->Bus(), clock, std::vector<int16_t>{1});
    rig->Open();
  }
  const ManualControls& c() { return rig->form->Controls(); }
  std::string File(const std::string& name) { return rig->folder.Path() + "/" + name; }

  VirtualClock clock;
  std::unique_ptr<sim::Bench> bench;
  std::vector<std::string> trace;
  std::unique_ptr<testing::ParlexRig> rig;
};

TEST_F(SimTransferTest, AnswerToFileOnceThenBackToTheBox) {
  rig->form->SendtoFileOnceClick();
  EXPECT_FALSE(c().Enabled(control::kAutoClear));
  rig->technician.Expect(kIncomingWarning, 52, "Warning", kYes);
  rig->dialogs.answers = {File("id.dat")};
  rig->Send("ID?");
  const std::string stored = testing::ReadBytes(File("id.dat"));
  EXPECT_EQ(stored.rfind("ID TEK/TDS 340", 0), 0u) << stored;
  EXPECT_EQ(c().Label(control::kReceivedCharacters), " " + std::to_string(stored.size()) + " ");
  EXPECT_EQ(c().incoming, "");
  EXPECT_FALSE(c().Checked(control::kSendtoFileOnce));
  EXPECT_TRUE(c().Enabled(control::kAutoClear));
  EXPECT_EQ(rig->dialogs.requests[0].title, "Save Incoming Message to File");
  EXPECT_EQ(rig->dialogs.requests[0].initialName, "Data");
  EXPECT_EQ(rig->dialogs.requests[0].initialFolder, rig->seams.toolFolder);
  EXPECT_EQ(rig->form->SelectedDataFolder(), rig->folder.Path());

  rig->Send("ID?");
  EXPECT_EQ(c().incoming.rfind("01: ID TEK/TDS 340", 0), 0u);
  EXPECT_EQ(rig->dialogs.requests.size(), 1u);

  // The folder chosen is remembered for the next run.
  ASSERT_TRUE(rig->Close());
  EXPECT_EQ(rig->settings.Get("Parlex", "Settings", "SelectedDataFolder", ""), rig->folder.Path());
}

TEST_F(SimTransferTest, WarningDeclinedSendsNothingAndComesAgain) {
  rig->form->SendToFileClick();
  rig->technician.Expect(kIncomingWarning, 52, "Warning", kNo);
  rig->Send("CH1:SCA?");
  EXPECT_TRUE(trace.empty());
  EXPECT_EQ(c().list.size(), 6u);  // the history is not updated

  rig->technician.Expect(kIncomingWarning, 52, "Warning", kYes);
  rig->dialogs.answers = {""};  // then Cancel in the dialog
  rig->form->SendMessage();
  EXPECT_TRUE(trace.empty());

  rig->dialogs.answers = {File("a.dat"), File("b.dat")};
  rig->form->SendMessage();
  rig->form->SendMessage();
  EXPECT_TRUE(c().Checked(control::kSendToFile));  // stays on, no second warning
  EXPECT_FALSE(c().Enabled(control::kAutoClear));
  rig->form->SendtoFileOnceClick();
  EXPECT_FALSE(c().Checked(control::kSendToFile));
  EXPECT_TRUE(rig->technician.ExpectAllConsumed());
}

TEST_F(SimTransferTest, SilentDeviceTimesOutAfterAHundredSeconds) {
  bench->SimulatedBus().SetSilent(1);
  rig->form->SendtoFileOnceClick();
  rig->technician.Expect(kIncomingWarning, 52, "Warning", kYes);
  rig->technician.Expect(kCaptureTimeout, 48, "Timeout Has Occured", kOk);
  rig->dialogs.answers = {File("none.dat")};
  const double start = clock.Now();
  rig->Send("CURVE?");
  EXPECT_NEAR(clock.Now() - start, 100.0, 1.0);
  EXPECT_EQ(c().Label(control::kReceivedCharacters), " 0 ");
  int timeout = 0;
  bench->Bus().ibask(rig->state.PxDevice, kIbaTmo, timeout);
  EXPECT_EQ(timeout, 12);
  EXPECT_TRUE(rig->technician.ExpectAllConsumed());
}

TEST_F(SimTransferTest, SendingAFileAsksUntilYesAndSendsItAsOneMessage) {
  testing::WriteBytes(File("setup.dat"), "CH1:SCA .5;CH2:SCA .2");
  rig->technician.ExpectContaining("For this data transfer to a device", 52, "Warning", kYes);
  rig->technician.Expect("Are you sure you want to send the content of the file: setup.dat\nto the device at address 1.",
                         36, "Send Datafile to Device", kNo);
  rig->technician.Expect("Are you sure you want to send the content of the file: setup.dat\nto the device at address 1.",
                         36, "Send Datafile to Device", kYes);
  rig->dialogs.answers = {File("setup.dat"), File("setup.dat")};
  rig->form->SendToDevice();
  EXPECT_EQ(rig->dialogs.requests[0].title, "Send Data from File to the Device at Address 1");
  EXPECT_EQ(rig->dialogs.requests[1].initialFolder, rig->folder.Path());
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "W 1 <- CH1:SCA .5;CH2:SCA .2"), 1);

  // The warning only once; a file that cannot be read is reported before anything is asked or
  // sent, and the dialog opens again.
  rig->dialogs.answers = {File("gone.dat"), ""};
  rig->technician.Expect("Can't read the file " + File("gone.dat") + ": it does not exist.", 48, "File Read error",
                         kOk);
  rig->form->SendToDevice();
  EXPECT_EQ(rig->dialogs.requests.size(), 4u);

  rig->dialogs.answers = {File("setup.dat")};
  rig->form->DisplayFile();
  EXPECT_EQ(rig->dialogs.opened, (std::vector<std::string>{File("setup.dat")}));
  EXPECT_TRUE(rig->technician.ExpectAllConsumed());
}

// A clock that lets the technician act whenever the window processes events.
class ActingClock : public VirtualClock {
 public:
  void ProcessEvents() override {
    VirtualClock::ProcessEvents();
    if (action) action();
  }
  std::function<void()> action;
};

TEST(Transfer, TimeoutInTheMiddleKeepsWhatArrivedAndStoppingEndsTheCapture) {
  RecordingGpib gpib;
  gpib.SetListeners({5});
  ActingClock clock;
  testing::ParlexRig rig(gpib, clock, {5});
  rig.Open();
  rig.state.IncomingFileWarned = true;

  gpib.AddReply(5, std::string(6000, 'd'));
  gpib.TimeoutNext("ibrd", 2);
  rig.form->SendToFileClick();
  rig.dialogs.answers = {rig.folder.Path() + "/part.dat"};
  rig.technician.Expect(kCaptureTimeout, 48, "Timeout Has Occured", kOk);
  rig.Send("CURVE?");
  EXPECT_EQ(testing::ReadBytes(rig.folder.Path() + "/part.dat"), std::string(4096, 'd'));
  EXPECT_EQ(rig.form->Controls().Label(control::kReceivedCharacters), " 4096 ");
  EXPECT_EQ(gpib.TimeoutOf(rig.state.PxDevice), 12);

  gpib.AddReply(5, std::string(20000, 'e'));
  rig.dialogs.answers = {rig.folder.Path() + "/stopped.dat"};
  bool runningWhenStopped = false;
  clock.action = [&] {
    if (!rig.form->TransferRunning() || runningWhenStopped) return;
    runningWhenStopped = true;
    EXPECT_FALSE(rig.form->QueryUnload());  // closing the window stops the capture instead
  };
  rig.technician.ExpectContaining("The transfer was stopped.", 48, "Transfer Stopped", kOk);
  rig.Send("CURVE?");
  EXPECT_TRUE(runningWhenStopped);
  EXPECT_EQ(testing::ReadBytes(rig.folder.Path() + "/stopped.dat").size(), 4096u);
  EXPECT_FALSE(rig.form->TransferRunning());
  EXPECT_TRUE(rig.technician.ExpectAllConsumed());
}

}  // namespace
}  // namespace veridane::parlex
