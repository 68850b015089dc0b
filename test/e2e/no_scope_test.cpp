// Benches without a scope: start-up's own ways of ending when the scope is not on the bus,
// reached on the simulator as a technician would meet them at a real bench.
#include <gtest/gtest.h>

#include "test/e2e/e2e_run.h"

namespace veridane::testing {
namespace {

// Start-up on the bench; the captions of the prompts shown, in order, and whether it ended.
std::vector<std::string> StartUpCaptions(const std::string& benchText, bool& ended) {
  E2eRun run(benchText);
  ended = false;
  try {
    ended = !run.startup->Load(false) || !run.startup->Activate();
  } catch (const ProgramEnded&) {
    ended = true;
  }
  std::vector<std::string> captions;
  for (const sim::TranscriptEntry& entry : run.technician->Transcript())
    if (entry.kind == sim::TranscriptEntry::Kind::Prompt) captions.push_back(entry.caption);
  return captions;
}

TEST(NoScope, InstrumentsWithoutAScopeEndStartUpWithTheSearchMessage) {
  bool ended = false;
  const std::vector<std::string> captions =
      StartUpCaptions("description = \"instruments only\"\n[[instrument]]\ntype = \"AT 5010\"\naddress = 5\n", ended);
  EXPECT_TRUE(ended);
  ASSERT_FALSE(captions.empty());
  EXPECT_EQ(captions.back().rfind("Expected Id-response from device not found", 0), 0u) << captions.back();
}

TEST(NoScope, ABusWhereNothingAnswersEndsStartUpAtInitialization) {
  bool ended = false;
  const std::vector<std::string> captions = StartUpCaptions("description = \"nothing on the bus\"\n", ended);
  EXPECT_TRUE(ended);
  ASSERT_FALSE(captions.empty());
  EXPECT_EQ(captions.back().rfind("Initialization Error", 0), 0u) << captions.back();
}

}  // namespace
}  // namespace veridane::testing
