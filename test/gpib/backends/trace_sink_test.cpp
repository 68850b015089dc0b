// The trace file: lines as they come, and a write that fails is told once, not swallowed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gpib/backends/tracing_gpib.h"

namespace veridane {
namespace {

TEST(TraceFileSink, WritesEveryLineAndTellsOnceWhenTheDiskIsFull) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("veridane-trace-" + std::to_string(::getpid()) + ".txt");
  std::ostringstream complaints;
  {
    TracingGpib::Sink sink = TraceFileSink(path.string(), complaints);
    ASSERT_TRUE(sink);
    sink("first");
    sink("second");
  }
  std::ifstream written(path, std::ios::binary);
  std::stringstream content;
  content << written.rdbuf();
  std::filesystem::remove(path);
  EXPECT_EQ(content.str(), "first\nsecond\n");
  EXPECT_EQ(complaints.str(), "");

  // /dev/full opens like any file and refuses every write.
  TracingGpib::Sink full = TraceFileSink("/dev/full", complaints);
  ASSERT_TRUE(full);
  for (int i = 0; i < 3; ++i) full("a line that goes nowhere");
  EXPECT_EQ(complaints.str(), "The trace file /dev/full could not be written (disk full?); the trace ends here.\n");

  EXPECT_FALSE(TraceFileSink("/nonexistent-folder/trace.txt", complaints));
}

}  // namespace
}  // namespace veridane
