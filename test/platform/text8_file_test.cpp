#include "platform/text8_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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

// A disk that fills up in the middle of a line (the file-size limit stands in for it: the
// write that crosses it is cut short): the file ends with the last whole line.
TEST_F(Text8FileTest, ALineTheDiskCannotTakeWholeIsNotWrittenAtAll) {
  Text8File file;
  ASSERT_TRUE(file.Open(In("torn.log"), Text8File::Mode::Create));
  ASSERT_TRUE(file.WriteLine("header"));
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 20;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = file.WriteLine("a row longer than the room left");
  const std::string error = file.Error();
  const bool next = file.WriteLine("x");
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_NE(error.find("torn.log"), std::string::npos) << error;
  EXPECT_TRUE(next);  // room for a short one
  file.Close();
  EXPECT_EQ(Bytes(In("torn.log")), "header\r\nx\r\n");
}

// Two programs given the same new name: the second is told it exists; a held file is refused
// to a second holder until the first lets go, and is not cut short by it.
TEST_F(Text8FileTest, NewFilesAreExclusiveAndHeldFilesAreRefused) {
  Text8File first;
  ASSERT_TRUE(first.Open(In("n.log"), Text8File::Mode::CreateNew, Text8File::Hold::Exclusive));
  ASSERT_TRUE(first.WriteLine("first"));
  Text8File second;
  EXPECT_FALSE(second.Open(In("n.log"), Text8File::Mode::CreateNew, Text8File::Hold::Exclusive));
  EXPECT_EQ(second.OpenRefusal(), Text8File::Refusal::Exists);
  EXPECT_FALSE(second.Open(In("n.log"), Text8File::Mode::Create, Text8File::Hold::Exclusive));
  EXPECT_EQ(second.OpenRefusal(), Text8File::Refusal::InUse);
  EXPECT_FALSE(second.Open(In("n.log"), Text8File::Mode::Continue, Text8File::Hold::Exclusive));
  EXPECT_EQ(second.OpenRefusal(), Text8File::Refusal::InUse);
  EXPECT_EQ(Bytes(In("n.log")), "first\r\n");
  EXPECT_FALSE(second.Open(In("gone.log"), Text8File::Mode::Continue, Text8File::Hold::Exclusive));
  EXPECT_EQ(second.OpenRefusal(), Text8File::Refusal::Missing);
  EXPECT_FALSE(fs::exists(In("gone.log")));
  first.Close();
  ASSERT_TRUE(second.Open(In("n.log"), Text8File::Mode::Continue, Text8File::Hold::Exclusive));
  ASSERT_TRUE(second.WriteLine("second"));
  second.Close();
  EXPECT_EQ(Bytes(In("n.log")), "first\r\nsecond\r\n");
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

  // A link left at the temporary name is not followed to the file it points to.
  std::ofstream(In("other.txt")) << "keep";
  fs::create_symlink(In("other.txt"), In("l.tst.new"));
  ASSERT_TRUE(ReplaceText8File(In("l.tst"), " 0  0  0  0  0 ", error)) << error;
  EXPECT_EQ(Bytes(In("other.txt")), "keep");
  EXPECT_EQ(Bytes(In("l.tst")), " 0  0  0  0  0 ");
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

  // A FIFO nobody writes to and a folder are refused at once, not waited on.
  ASSERT_EQ(::mkfifo(In("fifo.log").c_str(), 0600), 0);
  EXPECT_FALSE(ReadText8File(In("fifo.log"), content, error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  EXPECT_FALSE(ReadText8File(folder.string(), content, error));
  EXPECT_NE(error.find("folder"), std::string::npos) << error;
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
