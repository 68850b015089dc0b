// Bench files that are wrong in ways a range check alone does not see, and names that do not
// point at a bench file at all. Each ends with the file, the line where there is one, and why.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sim/bench/bench_file.h"

namespace veridane::sim {
namespace {

namespace fs = std::filesystem;

std::string ErrorOf(const std::string& text) {
  try {
    ParseBenchText(text, "bad.toml");
  } catch (const BenchFileError& error) {
    return error.what();
  }
  return "loaded";
}

TEST(HostileBench, NonFiniteNumbersAreRefusedWithTheirLine) {
  // NaN compares false with every limit, so it used to pass "cannot be negative" and the like.
  for (const std::string value : {"nan", "inf", "-inf", "+nan"}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(ErrorOf("[scope]\nmodel = \"TDS 340\"\n[scope.ch1]\noffset_error = " + value + "\n"),
              "bad.toml:4: scope.ch1.offset_error: expected a finite number");
    EXPECT_EQ(ErrorOf("[scope]\nmodel = \"TDS 340\"\nnoise_divisions = " + value + "\n"),
              "bad.toml:3: scope.noise_divisions: expected a finite number");
    EXPECT_EQ(ErrorOf("[scope]\nmodel = \"TDS 340\"\n[scope.ch2]\nbandwidth_mhz = " + value + "\n"),
              "bad.toml:4: scope.ch2.bandwidth_mhz: expected a finite number");
    EXPECT_EQ(ErrorOf("[scope]\nmodel = \"TDS 340\"\nfaults = { slow = " + value + " }\n"),
              "bad.toml:3: scope.faults.slow: expected a finite number");
    EXPECT_EQ(ErrorOf("[scope]\nmodel = \"TDS 340\"\n[[instrument]]\ntype = \"SG 5030\"\naddress = 8\nflatness = [0.1, " +
                      value + "]\n"),
              "bad.toml:6: instrument.flatness: expected two finite numbers");
  }
  EXPECT_EQ(ErrorOf("[scope]\nmodel = \"TDS 340\"\ntime_base_ppm = 1e400\n").substr(0, 11), "bad.toml:3:");
}

TEST(HostileBench, WholeNumbersTooLargeForTheirFieldAreRefused) {
  // 2^32 was cut to 0: a device that should vanish after 4294967296 messages vanished at once.
  EXPECT_EQ(ErrorOf("[scope]\nmodel = \"TDS 340\"\nfaults = { vanish_after = 4294967296 }\n"),
            "bad.toml:3: scope.faults.vanish_after: must be 0 to 2147483647");
  EXPECT_EQ(ErrorOf("[scope]\nmodel = \"TDS 340\"\nfaults = { vanish_after = -1 }\n"),
            "bad.toml:3: scope.faults.vanish_after: must be 0 to 2147483647");
  EXPECT_EQ(ErrorOf("[scope]\nmodel = \"TDS 340\"\nself_cal = 9223372036854775807\n"),
            "bad.toml:3: scope.self_cal: must be -2147483648 to 2147483647");
  const BenchDescription desc =
      ParseBenchText("[scope]\nmodel = \"TDS 340\"\nfaults = { vanish_after = 2147483647 }\n", "ok.toml");
  EXPECT_EQ(desc.scopeFaults.vanishAfterMessages, 2147483647);
}

TEST(HostileBench, ABenchWithoutAScopeLeavesItsAddressFree) {
  // Start-up's "no scope" and "no listener" paths need benches like these.
  const BenchDescription empty = ParseBenchText("", "empty.toml");
  EXPECT_FALSE(empty.hasScope);
  EXPECT_TRUE(empty.instruments.empty());
  const BenchDescription instrumentsOnly =
      ParseBenchText("[[instrument]]\ntype = \"AT 5010\"\naddress = 1\n", "instruments.toml");
  EXPECT_FALSE(instrumentsOnly.hasScope);
  ASSERT_EQ(instrumentsOnly.instruments.size(), 1u);
  EXPECT_TRUE(ParseBenchText("[scope]\nmodel = \"TDS 340\"\n", "scope.toml").hasScope);
}

class HostileBenchFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("veridane-hostile-bench-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  static std::string LoadError(const fs::path& path) {
    try {
      LoadBenchFile(path.string());
    } catch (const BenchFileError& error) {
      return error.what();
    }
    return "loaded";
  }

  fs::path folder_;
};

TEST_F(HostileBenchFiles, ANameThatIsNotASmallRegularFileIsRefusedAtOnce) {
  // A folder used to read as an empty text: "the bench has no [scope]".
  EXPECT_EQ(LoadError(folder_), folder_.string() + ": the bench file is a folder, not a file");
  EXPECT_EQ(LoadError("/dev/zero"), "/dev/zero: the bench file is not a regular file (a device, FIFO or socket)");
  const fs::path fifo = folder_ / "bench.toml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // nobody writes: reading it used to wait for ever
  EXPECT_NE(LoadError(fifo).find("is not a regular file"), std::string::npos);
  EXPECT_EQ(LoadError(folder_ / "none.toml"), (folder_ / "none.toml").string() + ": the bench file does not exist");

  const fs::path big = folder_ / "big.toml";
  {
    std::ofstream file(big, std::ios::binary);
    file << "[scope]\nmodel = \"TDS 340\"\n";
    const std::string comment = "# " + std::string(1021, '-') + "\n";
    for (size_t written = 0; written <= kBenchFileLimit; written += comment.size()) file << comment;
  }
  EXPECT_EQ(LoadError(big), big.string() + ": the bench file is larger than 1 MB, too large for its kind");
}

}  // namespace
}  // namespace veridane::sim
