#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace veridane {
namespace {

TEST(CommandLine, KnownOptions) {
  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  EXPECT_TRUE(ParseCommandLine({"-h"}).help);
  EXPECT_TRUE(ParseCommandLine({"--version"}).version);
  EXPECT_FALSE(ParseCommandLine({"--help"}).version);
  EXPECT_TRUE(ParseCommandLine({"--demo-messbox"}).demoMessBox);
  const CommandLine none = ParseCommandLine({});
  EXPECT_FALSE(none.help);
  EXPECT_FALSE(none.aboutRequested);
  EXPECT_FALSE(none.demoMessBox);
  EXPECT_TRUE(none.ignored.empty());
}

TEST(CommandLine, AnyArgumentWithAQuestionMarkAsksForTheAboutBox) {
  EXPECT_TRUE(ParseCommandLine({"?"}).aboutRequested);
  EXPECT_TRUE(ParseCommandLine({"x", "/?"}).aboutRequested);
  EXPECT_FALSE(ParseCommandLine({"--bench", "sim"}).aboutRequested);
}

TEST(CommandLine, UnknownArgumentsAreKeptInOrderAndIgnored) {
  const CommandLine line = ParseCommandLine({"--colour", "--headless", "blue", "--help"});
  EXPECT_TRUE(line.help);
  EXPECT_TRUE(line.headless);
  EXPECT_EQ(line.ignored, (std::vector<std::string>{"--colour", "blue"}));
}

TEST(CommandLine, UsageNamesTheProgramAndHelp) {
  const std::string usage = UsageText("veridane");
  EXPECT_EQ(usage.rfind("Usage: veridane [options]\n", 0), 0u);
  EXPECT_NE(usage.find("--help"), std::string::npos);
}

}  // namespace
}  // namespace veridane
