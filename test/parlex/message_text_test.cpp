// The Incoming Message box's lines and limit, query messages, and the list files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "parlex/message_text.h"
#include "parlex/parlex_files.h"
#include "test/parlex/parlex_fixture.h"

namespace veridane::parlex {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(IncomingText, LongAnswerIsCutIntoLinesOfFiftyWithTheAddressPrefix) {
  std::string answer(120, 'x');
  answer[0] = 'A';
  answer[50] = 'B';
  answer[100] = 'C';
  EXPECT_EQ(IncomingLines(answer, 5), "05: A" + std::string(49, 'x') + "\r\n05: B" + std::string(49, 'x') +
                                           "\r\n05: C" + std::string(19, 'x') + "\r\n");
  EXPECT_EQ(IncomingLines(std::string(50, 'y'), 12), "12: " + std::string(50, 'y') + "\r\n");
  EXPECT_EQ(IncomingLines("", 3), "");
}

TEST(IncomingText, EstimateAllowsExactlyTheLongestAnswerThatFits) {
  EXPECT_EQ(IncomingEstimate(29252), kIncomingLimit);
  EXPECT_GT(IncomingEstimate(29253), kIncomingLimit);
  // The line count rounds halves to the even neighbour: 25 / 50 gives 0 lines, 75 / 50 gives 2.
  EXPECT_EQ(IncomingEstimate(25), 25u + 6u);
  EXPECT_EQ(IncomingEstimate(75), 75u + 6u * 3u);
}

TEST(QueryRules, DoubleQuestionMarkIsTakenOutOnce) {
  EXPECT_TRUE(IsQuery("CH1:SCA .5;CH1:SCA?"));
  EXPECT_FALSE(IsQuery("INIT"));
  EXPECT_EQ(QueryMessage("ID??"), "ID");
  EXPECT_EQ(QueryMessage("CH1??SCA"), "CH1SCA");
  EXPECT_EQ(QueryMessage("??"), "");
  EXPECT_EQ(QueryMessage("A??B??"), "AB??");
}

TEST(MessageListRules, SortingKeepsHelpFirstAndIgnoresCase) {
  std::vector<std::string> sorted = SortedEntries({"<Help>", "set?", "ID?", "Id?", "*IDN?"});
  EXPECT_EQ(sorted, (std::vector<std::string>{"<Help>", "*IDN?", "ID?", "Id?", "set?"}));
  EXPECT_EQ(FindEntry({"<Help>", "ID?", "id?"}, "iD?"), 1u);
  EXPECT_EQ(FindCompletion({"<Help>", "*IDN?", "INIT"}, "in"), 2u);
  EXPECT_FALSE(FindCompletion({"<Help>", "INIT"}, "X").has_value());
}

TEST(MessageListFile, RoundTripTrimsPadsKeepsEmptyLinesAndNeverWritesHelp) {
  TempFolder folder;
  const std::string file = folder.Path() + "/list.gmg";
  WriteBytes(file, "  ID?  \r\n\r\nCH1:SCA \xB5\r\nlast line without end");
  auto lines = ReadListFile(file);
  ASSERT_TRUE(lines.has_value());
  std::vector<std::string> entries = EntriesFromLines(*lines);
  EXPECT_EQ(entries, (std::vector<std::string>{"<Help>", "ID?", "", "CH1:SCA \xB5", "last line without end"}));

  ASSERT_TRUE(WriteListFile(file, LinesFromEntries(entries)));
  EXPECT_EQ(ReadBytes(file), "ID?\r\n\r\nCH1:SCA \xB5\r\nlast line without end\r\n");

  ASSERT_TRUE(WriteListFile(file, LinesFromEntries({"<Help>"})));
  EXPECT_EQ(ReadBytes(file), "");
  EXPECT_FALSE(std::filesystem::exists(file + ".new"));
}

TEST(MessageListFile, AWriteProtectedListKeepsItsContent) {
  TempFolder folder;
  const std::string file = folder.Path() + "/kept.gmg";
  WriteBytes(file, "ID?\r\n");
  std::filesystem::permissions(file, std::filesystem::perms::owner_read, std::filesystem::perm_options::replace);
  if (::access(file.c_str(), W_OK) == 0) GTEST_SKIP() << "running as a user who may write anything";
  EXPECT_FALSE(WriteListFile(file, {"INIT"}));
  EXPECT_EQ(ReadBytes(file), "ID?\r\n");
}

TEST(MessageListFile, BinaryBytesAndLoneLineEndsAreReadWithoutLoss) {
  TempFolder folder;
  const std::string file = folder.Path() + "/odd.gmg";
  std::string bytes = std::string("A\0B", 3) + "\rC\n" + std::string(100000, 'z');
  WriteBytes(file, bytes);
  auto lines = ReadListFile(file);
  ASSERT_TRUE(lines.has_value());
  ASSERT_EQ(lines->size(), 3u);
  EXPECT_EQ((*lines)[0], std::string("A\0B", 3));
  EXPECT_EQ((*lines)[2].size(), 100000u);
  EXPECT_FALSE(ReadListFile(folder.Path() + "/missing.gmg").has_value());
  EXPECT_FALSE(WriteListFile(folder.Path() + "/no/such/folder.gmg", {"x"}));
}

TEST(FileNames, FolderIsUpToTheLastSeparator) {
  EXPECT_EQ(FolderOf("/home/tech/Data.dat.d/Data.dat"), "/home/tech/Data.dat.d");
  EXPECT_EQ(FileNameOf("/home/tech/Data.dat.d/Data.dat"), "Data.dat");
  EXPECT_EQ(FolderOf("Data.dat"), "");
}

}  // namespace
}  // namespace veridane::parlex
