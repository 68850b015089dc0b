#include <gtest/gtest.h>

#include <cmath>

#include "platform/numbers.h"
#include "sim/scope/command_parser.h"

namespace veridane::sim {
namespace {

TEST(ScopeParser, MnemonicsMatchFromShortToLongFormInAnyCase) {
  EXPECT_TRUE(MatchMnemonic("MEASU", "MEASUrement"));
  EXPECT_TRUE(MatchMnemonic("measurement", "MEASUrement"));
  EXPECT_TRUE(MatchMnemonic("Measur", "MEASUrement"));
  EXPECT_FALSE(MatchMnemonic("MEAS", "MEASUrement"));
  EXPECT_FALSE(MatchMnemonic("MEASUREMENTS", "MEASUrement"));
  EXPECT_FALSE(MatchMnemonic("MEASX", "MEASUrement"));

  int suffix = 0;
  EXPECT_TRUE(MatchMnemonic("Meas3", "MEAS<x>", &suffix));
  EXPECT_EQ(suffix, 3);
  EXPECT_TRUE(MatchMnemonic("SOU", "SOUrce<x>", &suffix));
  EXPECT_EQ(suffix, 1);
  EXPECT_TRUE(MatchMnemonic("SOURCE1", "SOUrce<x>", &suffix));
  EXPECT_FALSE(MatchMnemonic("MEASU1", "MEAS<x>", &suffix));
  EXPECT_FALSE(MatchMnemonic("CH1", "CHx"));
}

TEST(ScopeParser, ChoicesFollowTheSameRule) {
  std::vector<std::string_view> modes{"SAMple", "PEAKdetect", "AVErage", "ENVelope"};
  EXPECT_EQ(MatchChoice("SAM", modes), 0u);
  EXPECT_EQ(MatchChoice("samp", modes), 0u);
  EXPECT_EQ(MatchChoice("AVERAGE", modes), 2u);
  EXPECT_FALSE(MatchChoice("AV", modes));
  EXPECT_EQ(MatchChoice("PK2", {"PK2pk"}), 0u);
  EXPECT_EQ(MatchChoice("EXT10", {"EXT", "EXT10"}), 1u);
  EXPECT_EQ(MatchChoice("EXT", {"EXT", "EXT10"}), 0u);
}

TEST(ScopeParser, SplitsChainedCommandsAndReadsArguments) {
  auto commands = ParseProgramMessage("CH1:SCA .005;OFFS -1;POS  0");
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[0].header, (std::vector<std::string>{"CH1", "SCA"}));
  EXPECT_DOUBLE_EQ(commands[0].arguments[0].number, 0.005);
  EXPECT_EQ(commands[1].header, std::vector<std::string>{"OFFS"});
  EXPECT_DOUBLE_EQ(commands[1].arguments[0].number, -1);
  EXPECT_DOUBLE_EQ(commands[2].arguments[0].number, 0);

  commands = ParseProgramMessage(":MEASU:IMM:TYP high;VAL?");
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_TRUE(commands[0].absolute);
  EXPECT_EQ(commands[0].arguments[0].text, "HIGH");
  EXPECT_TRUE(commands[1].query);

  commands = ParseProgramMessage("HOR:DEL:SCA 5E-7;TIM -300E-3;*ESE 65");
  EXPECT_DOUBLE_EQ(commands[0].arguments[0].number, 5e-7);
  EXPECT_DOUBLE_EQ(commands[1].arguments[0].number, -0.3);
  EXPECT_TRUE(commands[2].common);
  EXPECT_EQ(commands[2].header, std::vector<std::string>{"*ESE"});
}

TEST(ScopeParser, QuotedStringsKeepSeparatorsAndFlawsAreMarked) {
  auto commands = ParseProgramMessage("PASSWORD \"a;b,c\"");
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].arguments[0].kind, ScopeArgument::Kind::String);
  EXPECT_EQ(commands[0].arguments[0].text, "a;b,c");

  EXPECT_TRUE(ParseProgramMessage("PASSWORD \"open")[0].malformed);
  EXPECT_TRUE(ParseProgramMessage("CH1:SCA 1.2.3")[0].malformed);
  EXPECT_TRUE(ParseProgramMessage("CH1::SCA 1")[0].malformed);
  EXPECT_TRUE(ParseProgramMessage("CH1:SCA 1;;POS 0")[1].malformed);
  EXPECT_EQ(ParseProgramMessage("HEAD 0;").size(), 1u);
}

TEST(ScopeParser, RepliesInNr3ReadBackByTheProgramsNumberReader) {
  EXPECT_EQ(Nr3(4e-3), "4.0E-3");
  EXPECT_EQ(Nr3(9.9e37), "9.9E37");
  EXPECT_EQ(Nr3(0), "0.0E0");
  EXPECT_EQ(Nr3(-1.23456), "-1.2346E0");
  EXPECT_EQ(Nr3(50000), "5.0E4");
  for (double v : {3.0, -0.99, 1.2e-7, 123456.0, 2.5e-9})
    EXPECT_NEAR(NumericValue(Nr3(v)), v, std::fabs(v) * 1e-4) << Nr3(v);
}

}  // namespace
}  // namespace veridane::sim
