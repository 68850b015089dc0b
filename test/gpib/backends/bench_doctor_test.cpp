// --doctor on a machine with nothing installed, and on one whose VISA (the stand-in made of the
// simulator) reaches a bench: every finding names its fix, and only a bench with listeners
// counts as one that can be opened.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "gpib/backends/bench_doctor.h"

namespace veridane {
namespace {

namespace fs = std::filesystem;

struct Machine {
  Machine() {
    std::string pattern = (fs::temp_directory_path() / "veridane-doctor-XXXXXX").string();
    root = ::mkdtemp(pattern.data());
    for (const char* folder : {"dev", "etc", "rules"}) fs::create_directories(root / folder);
    options.board.candidates = {"libveridane-no-such-gpib.so"};
    options.board.deviceFolder = (root / "dev").string();
    options.visa.candidates = {"libveridane-no-such-visa.so"};
    options.survey.deviceFolder = (root / "dev").string();
    options.survey.announceFolder = (root / "announce").string();
    options.etcFolder = (root / "etc").string();
    options.udevFolders = {(root / "rules").string()};
    options.unreadUdevFolders = {};
    options.inGroup = [this](const std::string& group) { return group == joined; };
  }
  ~Machine() { fs::remove_all(root); }
  std::string Text() { return DoctorText(ExamineBenchHardware(options)); }

  fs::path root;
  std::string joined;
  DoctorOptions options;
};

TEST(BenchDoctor, AnEmptyMachineSaysWhatToInstallAndThatNoBenchCanBeOpened) {
  Machine m;
  m.joined = "dialout";
  const DoctorReport report = ExamineBenchHardware(m.options);
  EXPECT_FALSE(report.benchUsable);
  const std::string text = DoctorText(report);
  for (const char* expected : {
           "WARN No GPIB board library (linux-gpib or NI-488.2): install linux-gpib",
           "WARN user not in the group gpib: sudo usermod -aG gpib $USER",
           "OK   user in the group dialout",
           "WARN udev rule 60-veridane-gpib.rules not installed where udev reads it",
           "WARN No serial GPIB adapter answers \"++ver\"",
           "WARN No VISA library is installed",
           "No GPIB board or adapter with instruments was found: no bench can be opened yet.",
       }) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  }
  EXPECT_EQ(text.find("FAIL"), std::string::npos) << "nothing is broken, it is missing:\n" << text;
}

TEST(BenchDoctor, AVisaThatReachesListenersMakesABenchThatCanBeOpened) {
  Machine m;
  m.joined = "gpib";
  std::ofstream(m.root / "rules" / kUdevRuleName) << "# rule\n";
  ::setenv("VERIDANE_SIM_BENCH", "default", 1);
  ::setenv("VERIDANE_SIM_DATA", (m.root / "data").c_str(), 1);
  m.options.visaLibrary = VERIDANE_SIM_VISA_LIBRARY;
  const DoctorReport report = ExamineBenchHardware(m.options);
  EXPECT_TRUE(report.benchUsable);
  const std::string text = DoctorText(report);
  EXPECT_NE(text.find("OK   udev rule " + (m.root / "rules" / kUdevRuleName).string() + " installed"), std::string::npos)
      << text;
  EXPECT_NE(text.find("(Veridane simulated bench version 1.0.0): visa:GPIB0 listeners at 1, 5, 6, 7, 8, 11, 12"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("A bench can be opened."), std::string::npos) << text;
}

}  // namespace
}  // namespace veridane
