#include "platform/text8_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace veridane {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class Text8FileTest : public ::testing::Test {
 protected:
  Text8FileTest() : folder(fs::temp_directory_path() / ("text8file_" + std::to_string(::getpid()))) {
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  ~Text8FileTest() override { fs::remove_all(folder); }
  std::string In(const std::string& name) const { return (folder / name).string(); }
  fs::path folder;
};

TEST_F(Text8FileTest, LinesAreWindowsBytesWithCrLfAndAppendKeepsThem) {
  Text8File file;
  ASSERT_TRUE(file.Open(In("a.log"), Text8File::Mode::Create));
  ASSERT_TRUE(file.WriteLine("120 \xB5V \xB1 5 %"));
  ASSERT_TRUE(file.WriteLine(""));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(Bytes(In("a.log")), "120 \xB5V \xB1 5 %\r\n\r\n");

  ASSERT_TRUE(file.Open(In("a.log"), Text8File::Mode::Append));
  ASSERT_TRUE(file.WriteLine("more"));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(Bytes(In("a.log")), "120 \xB5V \xB1 5 %\r\n\r\nmore\r\n");

  ASSERT_TRUE(file.Open(In("a.log"), Text8File::Mode::Create));
  ASSERT_TRUE(file.Write(" 0  0 "));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(Bytes(In("a.log")), " 0  0 ");
}

TEST_F(Text8FileTest, EveryLineIsInTheFileBeforeClose) {
  Text8File file;
  ASSERT_TRUE(file.Open(In("b.log"), Text8File::Mode::Create));
  ASSERT_TRUE(file.WriteLine("one"));
  EXPECT_EQ(Bytes(In("b.log")), "one\r\n");
  ASSERT_TRUE(file.WriteLine("two"));
  EXPECT_EQ(Bytes(In("b.log")), "one\r\ntwo\r\n");
}

TEST_F(Text8FileTest, AKilledWriterLeavesEveryLineItWrote) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    Text8File file;
    if (!file.Open(In("killed.log"), Text8File::Mode::Create)) ::_exit(2);
    for (int i = 0; i < 100; ++i) file.WriteLine("row " + std::to_string(i));
    char c = 'x';
    (void)!::write(ready[1], &c, 1);
    for (;;) ::pause();  // killed here, with the file still open
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_TRUE(WIFSIGNALED(status));

  std::string content;
  std::string error;
  ASSERT_TRUE(ReadText8File(In("killed.log"), content, error)) << error;
  auto lines = SplitText8Lines(content);
  ASSERT_EQ(lines.size(), 100u);
  EXPECT_EQ(lines.back(), "row 99");
}

TEST_F(Text8FileTest, FailuresAreReportedWithTheFileName) {
  Text8File file;
  EXPECT_FALSE(file.WriteLine("x"));
  EXPECT_FALSE(file.Error().empty());

  std::string missing = In("no/such/folder/c.log");
  EXPECT_FALSE(file.Open(missing, Text8File::Mode::Create));
  EXPECT_NE(file.Error().find(missing), std::string::npos) << file.Error();

  if (fs::exists("/dev/full")) {
    ASSERT_TRUE(file.Open("/dev/full", Text8File::Mode::Append));
    EXPECT_FALSE(file.WriteLine("disk is full"));
    EXPECT_NE(file.Error().find("/dev/full"), std::string::npos) << file.Error();
    file.Close();
  }
}

TEST_F(Text8FileTest, ReplaceSwapsTheWholeFileOrLeavesTheOldOne) {
  std::string error;
  ASSERT_TRUE(ReplaceText8File(In("s.tst"), " 0  0  0  0  0 ", error)) << error;
  ASSERT_TRUE(ReplaceText8File(In("s.tst"), " 1 -1  0  0  0 ", error)) << error;
  EXPECT_EQ(Bytes(In("s.tst")), " 1 -1  0  0  0 ");
  EXPECT_FALSE(fs::exists(In("s.tst.new")));

  // A folder in the way cannot be replaced by a file: it stays, nothing is left behind.
  fs::create_directory(In("d.tst"));
  EXPECT_FALSE(ReplaceText8File(In("d.tst"), "x", error));
  EXPECT_NE(error.find("d.tst"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_directory(In("d.tst")));
  EXPECT_FALSE(fs::exists(In("d.tst.new")));
}

TEST_F(Text8FileTest, ReadingRefusesMissingAndOversizedFiles) {
  std::string content = "stale";
  std::string error;
  EXPECT_FALSE(ReadText8File(In("none.log"), content, error));
  EXPECT_TRUE(content.empty());
  EXPECT_NE(error.find("none.log"), std::string::npos);

  std::ofstream(In("big.log"), std::ios::binary) << std::string(5000, 'x');
  EXPECT_FALSE(ReadText8File(In("big.log"), content, error, 4096));
  EXPECT_TRUE(ReadText8File(In("big.log"), content, error, 5000));
  EXPECT_EQ(content.size(), 5000u);
}

TEST(SplitText8Lines, EveryKindOfLineEndAndATruncatedLastLine) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitText8Lines(""), Lines{});
  EXPECT_EQ(SplitText8Lines("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitText8Lines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitText8Lines("a\nb\rc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(SplitText8Lines("\r\n"), (Lines{""}));
  EXPECT_EQ(SplitText8Lines(std::string("x\0y\r\n", 5)), (Lines{std::string("x\0y", 3)}));
}

}  // namespace
}  // namespace veridane
