#pragma once
// A headless run or a results command with its exit code and both output streams, as the
// command line would start it: shared by the tests that run whole Full Sequences on the
// simulated benches.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "shell/command_line.h"
#include "test/support/shell_fakes.h"
#include "test/support/test_backends.h"
#include "ui/console/headless.h"
#include "ui/console/results_query.h"

namespace veridane::testing {

struct Outcome {
  int code = -1;
  std::string out;
  std::string messages;
};

inline Outcome Invoke(const ScratchFolder& root, MemorySettings& settings, const std::vector<std::string>& args) {
  CommandLine options = ParseCommandLine(args);
  EXPECT_TRUE(options.errors.empty());
  std::ostringstream out, messages;
  Outcome outcome;
  if (options.results || !options.importFiles.empty())
    outcome.code = RunResultsCommand(TestBackends(), options, settings, Paths(root.String()), out, messages);
  else
    outcome.code = RunHeadless(TestBackends(), options, settings, Paths(root.String()), out, messages);
  outcome.out = out.str();
  outcome.messages = messages.str();
  return outcome;
}

// A Full Sequence by the virtual technician's hand, for the scope "B012345".
inline Outcome FullSequence(const ScratchFolder& root, MemorySettings& settings, const std::string& bench,
                            std::vector<std::string> more = {}) {
  std::vector<std::string> args = {"--headless", "--bench", bench, "--run", "full", "--technician", "virtual",
                                    "--serial", "b012345"};
  args.insert(args.end(), more.begin(), more.end());
  return Invoke(root, settings, args);
}

}  // namespace veridane::testing
