// The Outgoing Message list: the start-up file, the Message Lists menu, the X button and the
// question on closing with changes.
#include <gtest/gtest.h>

#include <filesystem>

#include "test/parlex/parlex_fixture.h"
#include "test/support/recording_gpib.h"

namespace veridane::parlex {
namespace {

using veridane::testing::RecordingGpib;

constexpr const char* kDefaultFile = "ID?\r\n*IDN?\r\nINIT\r\nFAC\r\nSET?\r\n";
constexpr const char* kExitQuestion =
    "Changes have been done to the current Outgoing Message List.\n\n\nSelect Yes to save it as the default start "
    "file.\n\nSelec No to Exit without save.\n\nSelect Cancel and go to Outgoing Message List menu to save it as an "
    "alternate Message List file.";

class ListsTest : public ::testing::Test {
 protected:
  void SetUp() override { gpib.SetListeners({1, 5}); }
  const ManualControls& c() { return rig.form->Controls(); }
  std::string Startup() { return rig.folder.Path() + "/Parlex/StartUp.gmg"; }

  RecordingGpib gpib;
  VirtualClock clock;
  testing::ParlexRig rig{gpib, clock, {1, 5}};
};

TEST_F(ListsTest, FirstRunMakesTheFolderAndTheDefaultStartUpList) {
  rig.seams.toolFolder = rig.folder.Path() + "/Parlex/Simulated";
  rig.Open();
  EXPECT_EQ(testing::ReadBytes(rig.seams.toolFolder + "/StartUp.gmg"), kDefaultFile);
  EXPECT_EQ(c().list, (std::vector<std::string>{"<Help>", "ID?", "*IDN?", "INIT", "FAC", "SET?"}));
  EXPECT_EQ(c().Label(control::kOutGoingFile), rig.seams.toolFolder + "/StartUp.gmg");
  // Two listeners: nothing is selected, the box and the list menu wait for a choice.
  EXPECT_FALSE(c().Enabled(control::kSendMessageList));
  EXPECT_FALSE(c().Enabled(control::kHistory));
  EXPECT_EQ(c().focus, control::kReceivedMessages);
  rig.form->AddressClick(1);
  EXPECT_TRUE(c().Enabled(control::kSendMessageList));
  EXPECT_TRUE(c().Enabled(control::kHistory));
  EXPECT_TRUE(c().address[1].bold);
  EXPECT_FALSE(c().address[0].bold);
}

TEST_F(ListsTest, DeletingEntriesSelectsTheNeighbourAndTypedTextIsOnlyCleared) {
  rig.Open();
  rig.form->EntryPicked(3);
  rig.technician.Expect("Do you really want to delete the selected entry in Outgoing Message List ?", 4,
                        "Delete Entry", kYes);
  rig.form->DeleteOutgoingMessageEntry();
  EXPECT_EQ(c().selected, 2);
  EXPECT_EQ(c().list.size(), 5u);
  EXPECT_TRUE(rig.form->ListChanged());

  rig.form->EntryPicked(1);
  rig.technician.Expect("Do you really want to delete the selected entry in Outgoing Message List ?", 4,
                        "Delete Entry", kYes);
  rig.form->DeleteOutgoingMessageEntry();
  EXPECT_EQ(c().selected, 1);
  EXPECT_EQ(c().outgoing, "*IDN?");

  rig.Type("typed");
  rig.form->DeleteOutgoingMessageEntry();  // no question
  EXPECT_EQ(c().outgoing, "");
  EXPECT_EQ(c().list.size(), 4u);

  for (int i = 0; i < 3; ++i) {
    rig.form->EntryPicked(1);
    rig.technician.ExpectContaining("delete the selected entry", 4, "Delete Entry", kYes);
    rig.form->DeleteOutgoingMessageEntry();
  }
  EXPECT_EQ(c().list, (std::vector<std::string>{"<Help>"}));
  EXPECT_EQ(c().selected, 0);
  EXPECT_FALSE(c().Enabled(control::kDelete));
  EXPECT_TRUE(rig.technician.ExpectAllConsumed());
}

TEST_F(ListsTest, AlternateListSavedAndReloadedThenTheClosingQuestion) {
  rig.Open();
  rig.form->AddressClick(0);
  rig.Send("CH1:SCA .5");
  const std::string alternate = rig.folder.Path() + "/bench.gmg";
  rig.dialogs.answers = {alternate};
  rig.form->SaveAlternateMessageList();
  EXPECT_FALSE(rig.form->ListChanged());
  EXPECT_EQ(rig.dialogs.requests[0].title, "Save Alternate Outgoing Message List");
  EXPECT_EQ(rig.dialogs.requests[0].initialName, "Message");
  EXPECT_EQ(rig.form->SelectedDataFolder(), rig.folder.Path());
  EXPECT_EQ(testing::ReadBytes(alternate), std::string(kDefaultFile) + "CH1:SCA .5\r\n");

  rig.technician.ExpectContaining("This will reload the start up Outgoing Message List.\n\nDo wish", 36,
                                  "Reload Start Up Outgoing Messages", kYes);
  rig.form->LoadStartupMessageList();
  EXPECT_EQ(c().list.size(), 6u);

  rig.dialogs.answers = {alternate};
  rig.form->ImportAlternateMessageList();
  EXPECT_EQ(c().list.back(), "CH1:SCA .5");
  EXPECT_TRUE(rig.form->ListChanged());

  // Cancel keeps the window and does not ask again; Yes saves as the start-up list.
  rig.technician.Expect(kExitQuestion, 35, "Exit", kCancel);
  EXPECT_FALSE(rig.Close());
  EXPECT_TRUE(rig.Close());
  rig.Open();
  rig.dialogs.answers = {alternate};
  rig.form->ImportAlternateMessageList();
  rig.technician.Expect(kExitQuestion, 35, "Exit", kYes);
  EXPECT_TRUE(rig.Close());
  EXPECT_EQ(testing::ReadBytes(Startup()), testing::ReadBytes(alternate));
  EXPECT_TRUE(rig.technician.ExpectAllConsumed());
}

TEST_F(ListsTest, AFailedSaveOnClosingKeepsTheWindowOpen) {
  rig.Open();
  rig.form->AddressClick(0);
  rig.Send("NEW");
  std::filesystem::remove_all(rig.folder.Path() + "/Parlex");  // the start-up file cannot be written now
  rig.technician.Expect(kExitQuestion, 35, "Exit", kYes);
  rig.technician.Expect("Can't write to the file " + Startup() + ". It is probably write protected.", 48,
                        "File Write error", kOk);
  EXPECT_FALSE(rig.Close());
  EXPECT_TRUE(rig.form->ListChanged());
  EXPECT_EQ(c().list.back(), "NEW");
  EXPECT_TRUE(rig.technician.ExpectAllConsumed());
}

TEST_F(ListsTest, UnreadableAlternateLeavesListAndStartUpFileAlone) {
  rig.Open();
  testing::WriteBytes(Startup(), "MINE\r\n");
  rig.dialogs.answers = {rig.folder.Path() + "/missing.gmg"};
  rig.technician.Expect("Can't read the file " + rig.folder.Path() + "/missing.gmg.", 48, "File Read error", kOk);
  rig.form->ImportAlternateMessageList();
  EXPECT_EQ(c().list.size(), 6u);
  EXPECT_FALSE(rig.form->ListChanged());
  EXPECT_EQ(testing::ReadBytes(Startup()), "MINE\r\n");

  // Cancel in the dialog changes nothing either.
  rig.dialogs.answers = {""};
  rig.form->ImportAlternateMessageList();
  EXPECT_EQ(c().list.size(), 6u);
}

TEST_F(ListsTest, SortClearAndRestoreAskFirst) {
  rig.Open();
  rig.technician.Expect(
      "This will sort the entries in the current Outgoing Message List. \nIt can't be undone but nothing will be "
      "saved.\n\nDo wish to continue ?",
      36, "Sort Outgoing Messages", kYes);
  rig.form->SortMessageList();
  EXPECT_EQ(c().list, (std::vector<std::string>{"<Help>", "*IDN?", "FAC", "ID?", "INIT", "SET?"}));
  EXPECT_TRUE(rig.form->ListChanged());

  rig.form->EntryPicked(2);
  rig.technician.Expect(
      "This will clear ALL entries in the current Outgoing Message List.\nSelect the Clear Messages button [X] if you "
      "want to clear only the currently shown Outgoing Message.\n\nSelect Yes to continue without saving the current "
      "Outgoing List.\nIf you want to save the List select No and then go to MessageLists Menu.\n\nDo wish to "
      "continue ?",
      36, "Clear Outgoing Messages", kYes);
  rig.form->ClrMessageList();
  EXPECT_EQ(c().list, (std::vector<std::string>{"<Help>"}));

  testing::WriteBytes(Startup(), "OLD\r\n");
  rig.technician.ExpectContaining("This will restore the Outgoing Message List with default values", 36,
                                  "Restore Outgoing Messages", kYes);
  rig.form->RestoreMessageList();
  EXPECT_EQ(testing::ReadBytes(Startup()), kDefaultFile);
  EXPECT_EQ(c().list.size(), 6u);
  EXPECT_FALSE(rig.form->ListChanged());
  EXPECT_FALSE(c().Enabled(control::kClearHistory));
  EXPECT_TRUE(rig.technician.ExpectAllConsumed());
}

}  // namespace
}  // namespace veridane::parlex
