#include "shell/command_line.h"

#include <gtest/gtest.h>

#include "pv/catalogue.h"

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
  // Where the "?" sat in an option's value, that option is named (a headless run then says so).
  EXPECT_EQ(ParseCommandLine({"--comments", "noisy?"}).questionInValueOf, "--comments");
  EXPECT_EQ(ParseCommandLine({"--serial=B?1"}).questionInValueOf, "--serial");
  EXPECT_EQ(ParseCommandLine({"/?"}).questionInValueOf, "");
}

TEST(CommandLine, PlainWordsAreKeptInOrderAndIgnored) {
  const CommandLine line = ParseCommandLine({"blue", "--headless", "-x", "green", "--help"});
  EXPECT_TRUE(line.help);
  EXPECT_TRUE(line.headless);
  EXPECT_TRUE(line.errors.empty());
  EXPECT_EQ(line.ignored, (std::vector<std::string>{"blue", "-x", "green"}));
}

TEST(CommandLine, MistypedOptionsAreRefusedByName) {
  const CommandLine line = ParseCommandLine({"--headles", "--run", "full", "--prallex", "--"});
  EXPECT_EQ(line.errors, (std::vector<std::string>{"unknown option --headles", "unknown option --prallex",
                                                   "unknown option --"}));
  EXPECT_FALSE(line.headless);
  EXPECT_EQ(line.run, "full");
  // "--rnu full": the option is refused, its would-be value is only a word.
  const CommandLine swapped = ParseCommandLine({"--rnu", "full"});
  EXPECT_EQ(swapped.errors, std::vector<std::string>{"unknown option --rnu"});
  EXPECT_TRUE(swapped.run.empty());
  // The value part is shown as typed, so the technician recognises the argument.
  EXPECT_EQ(ParseCommandLine({"--bench-file=a.toml"}).errors,
            std::vector<std::string>{"unknown option --bench-file=a.toml"});
}

TEST(CommandLine, OptionsWithoutTheirValueAreRefused) {
  EXPECT_EQ(ParseCommandLine({"--bench"}).errors, std::vector<std::string>{"--bench needs a value"});
  EXPECT_EQ(ParseCommandLine({"--answers="}).errors, std::vector<std::string>{"--answers needs a value"});
  // The next option is not swallowed as the file name, and still counts.
  const CommandLine line = ParseCommandLine({"--trace", "--headless", "--run", "offset"});
  EXPECT_EQ(line.errors, std::vector<std::string>{"--trace needs a value"});
  EXPECT_TRUE(line.traceFile.empty());
  EXPECT_TRUE(line.headless);
  EXPECT_EQ(line.run, "offset");
  // Given with "=", a value may start with dashes.
  EXPECT_EQ(ParseCommandLine({"--trace=--odd-name"}).traceFile, "--odd-name");
  // A flag given a value is a mistake too, not a flag quietly set or dropped.
  EXPECT_EQ(ParseCommandLine({"--headless=yes"}).errors, std::vector<std::string>{"--headless takes no value"});
}

TEST(CommandLine, HeaderTextsAreOneLineAndTwoOutputsNeverShareAFile) {
  const CommandLine broken = ParseCommandLine({"--headless", "--serial", "S1\nS2", "--comments=ok", "--operator", "a\rb"});
  ASSERT_EQ(broken.errors.size(), 2u);
  EXPECT_EQ(broken.errors[0].rfind("--serial must be one line", 0), 0u) << broken.errors[0];
  EXPECT_EQ(broken.errors[1].rfind("--operator must be one line", 0), 0u) << broken.errors[1];
  // Written differently, one file all the same; standard output is not a file.
  const CommandLine same = ParseCommandLine({"--headless", "--json", "out.x", "--junit", "./out.x"});
  ASSERT_EQ(same.errors.size(), 1u);
  EXPECT_NE(same.errors[0].find("--json and --junit name the same file"), std::string::npos) << same.errors[0];
  EXPECT_TRUE(ParseCommandLine({"--headless", "--json", "-", "--junit", "a.xml", "--certificate", "a.pdf"}).errors.empty());
}

TEST(CommandLine, AQuestionMarkWinsOverEveryOtherRule) {
  const CommandLine line = ParseCommandLine({"--headles?", "/?"});
  EXPECT_TRUE(line.aboutRequested);
  EXPECT_TRUE(line.errors.empty());
  EXPECT_TRUE(line.ignored.empty());
}

TEST(CommandLine, ParlexAtTheTerminal) {
  const CommandLine line = ParseCommandLine({"--parlex", "--bench", "sim", "--script", "msgs.txt"});
  EXPECT_TRUE(line.parlex);
  EXPECT_EQ(line.parlexScript, "msgs.txt");
  EXPECT_TRUE(line.errors.empty());
  // A script without the tool, or the tool in a headless run, would silently do something else.
  EXPECT_EQ(ParseCommandLine({"--script", "msgs.txt"}).errors, std::vector<std::string>{"--script needs --parlex"});
  EXPECT_EQ(ParseCommandLine({"--parlex", "--headless"}).errors.size(), 1u);
}

TEST(CommandLine, ListBenches) {
  EXPECT_TRUE(ParseCommandLine({"--list-benches"}).listBenches);
  EXPECT_FALSE(ParseCommandLine({"--headless"}).listBenches);
  EXPECT_TRUE(ParseCommandLine({"--list-adapters"}).listAdapters);
  EXPECT_FALSE(ParseCommandLine({"--list-benches"}).listAdapters);
}

TEST(CommandLine, UsageNamesTheProgramAndHelp) {
  const std::string usage = UsageText("veridane");
  EXPECT_EQ(usage.rfind("Usage: veridane [options]\n", 0), 0u);
  // Every option the parser takes is explained, with the test names --run knows today.
  for (const char* option : {"--help", "--bench", "--list-benches", "--headless", "--run", "--answers", "--manual",
                             "--technician", "--trace"})
    EXPECT_NE(usage.find(std::string(" ") + option + " "), std::string::npos) << option;
  EXPECT_NE(usage.find(RunNames()), std::string::npos);
}

TEST(CommandLine, ResultsOptionsAndRepeatedImports) {
  const CommandLine line = ParseCommandLine(
      {"--results", "--serial", "B1", "--test=offset", "--csv", "f.csv", "--import", "a.log", "--import=b.log", "--no-results"});
  EXPECT_TRUE(line.errors.empty());
  EXPECT_TRUE(line.results);
  EXPECT_TRUE(line.noResults);
  EXPECT_EQ(line.testName, "offset");
  EXPECT_EQ(line.csvFile, "f.csv");
  EXPECT_EQ(line.importFiles, (std::vector<std::string>{"a.log", "b.log"}));
  EXPECT_EQ(ParseCommandLine({"--import"}).errors, std::vector<std::string>{"--import needs a value"});
  EXPECT_FALSE(ParseCommandLine({"--results=yes"}).errors.empty());
}

}  // namespace
}  // namespace veridane

namespace veridane {
namespace {

TEST(CommandLine, RepeatsDecisionRuleAndExplainAreCheckedWhenRead) {
  const CommandLine line =
      ParseCommandLine({"--headless", "--repeats", "5", "--decision-rule=guarded", "--explain", "dcv:CH1 difference"});
  EXPECT_TRUE(line.errors.empty());
  EXPECT_EQ(line.repeats, 5);
  EXPECT_EQ(line.decisionRule, DecisionRule::Guarded);
  EXPECT_EQ(line.explain, "dcv:CH1 difference");

  const CommandLine defaults = ParseCommandLine({"--headless"});
  EXPECT_EQ(defaults.repeats, 1);
  EXPECT_FALSE(defaults.decisionRule.has_value());

  for (const char* bad : {"0", "101", "2x", "-3", "1.5"})
    EXPECT_EQ(ParseCommandLine({"--repeats", bad}).errors,
              (std::vector<std::string>{"--repeats takes a whole number from 1 to 100"}))
        << bad;
  EXPECT_EQ(ParseCommandLine({"--decision-rule", "strict"}).errors,
            (std::vector<std::string>{"--decision-rule is simple or guarded"}));
  EXPECT_EQ(ParseCommandLine({"--explain", "x"}).errors, (std::vector<std::string>{"--explain needs --headless"}));
}

}  // namespace
}  // namespace veridane
