#pragma once
// Shared by the results tests: a scratch SQLite file and rows made the way the procedures
// make them.
#include <filesystem>
#include <string>

#include "results/results_store.h"

namespace veridane::testing {

class ScratchStore {
 public:
  explicit ScratchStore(const std::string& name);
  ~ScratchStore();
  StoreTarget Target() const;
  std::string File() const { return (folder_ / "results.db").string(); }
  const std::filesystem::path& Folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

// An Offset at Zero row of step `step` judged against +/- limit volts.
StepResult OffsetResult(const std::string& step, float limit, std::optional<float> measured);

RunFacts SomeRun(const std::string& serial, const std::string& startedAt);

}  // namespace veridane::testing
