#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/paths.h"
#include "platform/settings.h"

namespace veridane {
namespace {

namespace fs = std::filesystem;

fs::path TempFolder(const char* name) {
  fs::path folder = fs::temp_directory_path() / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

TEST(Settings, MemoryAndUserStoresKeepValuesPerApplication) {
  MemorySettings memory;
  UserSettings user(TempFolder("veridane_settings_test").string());
  for (Settings* store : {static_cast<Settings*>(&memory), static_cast<Settings*>(&user)}) {
    EXPECT_EQ(store->Get("Veridane", "Settings", "SkipSplash", "0"), "0");
    store->Save("Veridane", "Settings", "SkipSplash", "1");
    store->Save("Parlex", "Settings", "SkipSplash", "x\xB5");
    EXPECT_EQ(store->Get("Veridane", "Settings", "SkipSplash", "0"), "1");
    EXPECT_EQ(store->Get("Parlex", "Settings", "SkipSplash", "0"), "x\xB5");
    store->Delete("Veridane", "Settings", "SkipSplash");
    EXPECT_EQ(store->Get("Veridane", "Settings", "SkipSplash", "0"), "0");
  }
  // A second store on the same folder reads what the first wrote.
  UserSettings again(TempFolder("veridane_settings_test2").string());
  again.Save("Veridane", "Settings", "Bench", "sim:scope-only");
  UserSettings reader((fs::temp_directory_path() / "veridane_settings_test2").string());
  EXPECT_EQ(reader.Get("Veridane", "Settings", "Bench", ""), "sim:scope-only");
}

TEST(Paths, AppDataWinsOverXdgAndSimulatedRunsAreKeptApart) {
  setenv("APPDATA", "/tmp/appdata", 1);
  setenv("XDG_DATA_HOME", "/tmp/xdg", 1);
  EXPECT_EQ(Paths().DataFolder(), "/tmp/appdata/Veridane");
  unsetenv("APPDATA");
  Paths paths;
  EXPECT_EQ(paths.DataFolder(), "/tmp/xdg/Veridane");
  EXPECT_EQ(paths.ParlexFolder(), "/tmp/xdg/Veridane/Parlex");
  EXPECT_EQ(paths.FaultbookFolder(), "/tmp/xdg/Faultbook");
  paths.SetSimulated(true);
  EXPECT_EQ(paths.DataFolder(), "/tmp/xdg/Veridane/Simulated");
  EXPECT_EQ(Paths("/r", true).FaultbookFolder(), "/r/Faultbook/Simulated");
  EXPECT_EQ(Paths("/r", true).ParlexFolder(), "/r/Veridane/Simulated/Parlex");
}

TEST(Paths, AFolderMovedLeavesNothingBehindAndLosesNothing) {
  fs::path root = TempFolder("veridane_move_test");
  const fs::path from = root / "Parlex", to = root / "Veridane" / "Parlex";
  fs::create_directories(from / "Sub");
  fs::create_directories(to);
  for (const fs::path& file : {from / "StartUp.gmg", from / "Sub" / "a.txt", to / "StartUp.gmg"})
    std::ofstream(file) << file.string();
  std::string error;
  ASSERT_TRUE(MoveFolderContents(from.string(), to.string(), error)) << error;
  EXPECT_FALSE(fs::exists(from));
  EXPECT_TRUE(fs::exists(to / "Sub" / "a.txt"));
  // The list already in the new folder stays; the old one is kept beside it.
  std::ifstream kept(to / "StartUp.gmg"), moved(to / "StartUp (moved).gmg");
  std::string keptText, movedText;
  kept >> keptText;
  moved >> movedText;
  EXPECT_EQ(keptText, (to / "StartUp.gmg").string());
  EXPECT_EQ(movedText, (from / "StartUp.gmg").string());
  // Nothing to move is no failure.
  EXPECT_TRUE(MoveFolderContents(from.string(), to.string(), error));
  fs::remove_all(root);
}

TEST(Paths, MakeFolderCreatesOnlyTheLastLevel) {
  fs::path root = TempFolder("veridane_paths_test");
  EXPECT_TRUE(MakeFolder((root / "Veridane").string()));
  EXPECT_TRUE(MakeFolder((root / "Veridane").string()));  // already there
  EXPECT_FALSE(MakeFolder((root / "missing" / "Veridane").string()));
}

}  // namespace
}  // namespace veridane
