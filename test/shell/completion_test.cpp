// The bash completion shipped with the program, run in bash and held against what the program
// itself knows: its options, the catalogue's test names, the shipped benches.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "pv/catalogue.h"
#include "shell/command_line.h"
#include "sim/bench/shipped_benches.h"

namespace veridane {
namespace {

// What the completion offers for the words typed so far (the last one is being completed).
std::set<std::string> Complete(const std::string& words) {
  const std::string command = "bash -c '. " VERIDANE_SOURCE_DIR
                              "/src/app/veridane-completion.bash; COMP_WORDS=(" + words +
                              "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _veridane; "
                              "printf \"%s\\n\" \"${COMPREPLY[@]}\"'";
  std::set<std::string> offered;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return offered;
  std::array<char, 256> buffer{};
  std::string line;
  while (fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
    line = buffer.data();
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty()) offered.insert(line);
  }
  pclose(pipe);
  return offered;
}

TEST(Completion, OffersEveryOptionTheHelpExplains) {
  std::set<std::string> explained;
  const std::string usage = UsageText("veridane");
  const std::regex option(R"(^  (?:-h, )?(--[a-z-]+))");
  std::istringstream lines(usage);
  std::string line;
  std::smatch match;
  while (std::getline(lines, line))
    if (std::regex_search(line, match, option)) explained.insert(match[1]);
  ASSERT_GE(explained.size(), 9u);
  EXPECT_EQ(Complete("veridane --"), explained);
}

TEST(Completion, RunNamesFromTheCatalogueAfterEachComma) {
  std::set<std::string> names = {"full", "errorlog"};
  for (const CatalogueEntry& test : TestCatalogue()) names.insert(std::string(test.runName));
  EXPECT_EQ(Complete("veridane --headless --run \"\""), names);
  EXPECT_EQ(Complete("veridane --run dcv,of"), std::set<std::string>{"dcv,offset"});
}

TEST(Completion, ShippedBenchesAfterSimColon) {
  // Readline hands "sim:" over as two words and replaces only what follows the colon.
  const std::vector<std::string> shipped = sim::ShippedBenchNames();
  EXPECT_EQ(Complete("veridane --bench sim :"), std::set<std::string>(shipped.begin(), shipped.end()));
  EXPECT_EQ(Complete("veridane --bench sim : scope"), std::set<std::string>{"scope-only"});
  EXPECT_EQ(Complete("veridane --technician \"\""), (std::set<std::string>{"none", "virtual"}));
}

TEST(Completion, HardwareBenchFormsComeFromTheProgramItself) {
  // The program is the first word, as at the prompt; its --help lists the forms.
  const std::string program = VERIDANE_PROGRAM;
  EXPECT_EQ(Complete(program + " --bench prolog"), (std::set<std::string>{"prologix:", "prologix-tcp:"}));
  EXPECT_EQ(Complete(program + " --bench TCP"), std::set<std::string>{"TCPIP0::"});
  EXPECT_EQ(Complete(program + " --bench vi"), std::set<std::string>{"visa:"});
}

}  // namespace
}  // namespace veridane
