// Compensation files: pair counts per model, tolerant separators, and what the technician is
// told when a file cannot be used.
#include <sys/stat.h>

#include "instruments/comp_data.h"
#include "instruments/signal_generator.h"
#include "test/support/driver_bench.h"

namespace veridane::testing {
namespace {

std::string Pairs(int count, const char* separator = "\r\n") {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::to_string(i) + ".5," + std::to_string(i + 100) + separator;
  return text;
}

class CompDataTest : public DriverBench {
 protected:
  void Generator(int16_t model, std::string name) {
    roles.SGDevice = Device(10);
    roles.SGModel = model;
    roles.SGName = std::move(name);
    sg = std::make_unique<SignalGenerator>(bus, op, roles, autoMode, folder.path());
    autoMode = Automation::Full;
  }
  TempFolder folder;
  std::unique_ptr<SignalGenerator> sg;
};

TEST_F(CompDataTest, SG5030ReadsTwelvePairsIntoBothRows) {
  folder.Write("SG 5030.dat", Pairs(12) + "garbage after the last pair\r\n");
  Generator(5030, "SG 5030");
  EXPECT_TRUE(sg->LoadCompData());
  EXPECT_EQ(autoMode, Automation::Full);
  EXPECT_FLOAT_EQ(sg->compTable[0][0], 0.5f);
  EXPECT_FLOAT_EQ(sg->compTable[1][0], 100);
  EXPECT_FLOAT_EQ(sg->compTable[0][11], 11.5f);
  EXPECT_FLOAT_EQ(sg->compTable[1][11], 111);
  EXPECT_EQ(sg->compTable[0][12], 0);
}

TEST_F(CompDataTest, OtherModelsReadTwentyTwoPairsWithAnySeparator) {
  folder.Write("R&S SME03.dat", "2.41, 2.5\n2.42 2.6\t\r\n" + Pairs(20, " "));
  Generator(3000, "R&S SME03");
  EXPECT_TRUE(sg->LoadCompData());
  EXPECT_EQ(autoMode, Automation::Full);
  EXPECT_FLOAT_EQ(sg->compTable[0][0], 2.41f);
  EXPECT_FLOAT_EQ(sg->compTable[1][1], 2.6f);
  EXPECT_FLOAT_EQ(sg->compTable[0][21], 19.5f);
  EXPECT_FLOAT_EQ(sg->compTable[1][21], 119);
}

TEST_F(CompDataTest, TwentyOnePairsForAnSmeIsCorruptAndOkFallsBackToAutoWithoutTable) {
  folder.Write("R&S SME03.dat", Pairs(21));
  Generator(3000, "R&S SME03");
  op.Expect("Corrupt or faulty Comp data file for R&S SME03.\nAuto mode for Bandwidth test disabled.\n\n"
            "Cancel terminates this application.",
            17, "SG Comp file error", kOk);
  // The caller goes on without the table; the generator leaves the run state alone.
  EXPECT_FALSE(sg->LoadCompData());
  EXPECT_EQ(autoMode, Automation::Full);
  // What was read stays.
  EXPECT_FLOAT_EQ(sg->compTable[0][20], 20.5f);
  EXPECT_EQ(sg->compTable[0][21], 0);
}

TEST_F(CompDataTest, MissingFileAndCancelEndTheProgram) {
  Generator(5030, "SG 5030");
  op.Expect("Comp data file for SG 5030 not found.\nAuto mode for Bandwidth test disabled.\n\n"
            "Cancel terminates this application.",
            17, "SG Comp file error", kCancel);
  EXPECT_THROW(sg->LoadCompData(), ProgramEnded);
}

TEST_F(CompDataTest, TextWhereANumberBelongsIsCorrupt) {
  folder.Write("SG 5030.dat", "2.9,5.1\r\n3,abc\r\n" + Pairs(10));
  Generator(5030, "SG 5030");
  op.ExpectContaining("Corrupt or faulty Comp data file for SG 5030.", 17, "SG Comp file error", kOk);
  // The caller goes on without the table; the generator leaves the run state alone.
  EXPECT_FALSE(sg->LoadCompData());
  EXPECT_EQ(autoMode, Automation::Full);
  EXPECT_FLOAT_EQ(sg->compTable[0][1], 3);
}

TEST_F(CompDataTest, AFolderOrFifoInPlaceOfTheFileIsNamedWithoutWaiting) {
  const std::filesystem::path path = folder.path() / "SG 5030.dat";
  std::filesystem::create_directory(path);
  Generator(5030, "SG 5030");
  op.Expect("The Comp data file " + path.string() + " is a folder, not a file.\nAuto mode for Bandwidth test disabled.\n\n"
            "Cancel terminates this application.",
            17, "SG Comp file error", kOk);
  // The caller goes on without the table; the generator leaves the run state alone.
  EXPECT_FALSE(sg->LoadCompData());
  EXPECT_EQ(autoMode, Automation::Full);

  // Nobody writes to the FIFO: a blocking read would hold start-up for ever.
  std::filesystem::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  Generator(5030, "SG 5030");
  op.ExpectContaining("is not a regular file", 17, "SG Comp file error", kOk);
  // The caller goes on without the table; the generator leaves the run state alone.
  EXPECT_FALSE(sg->LoadCompData());
  EXPECT_EQ(autoMode, Automation::Full);
}

}  // namespace
}  // namespace veridane::testing
