#pragma once
// The results store as the frame's store sink: each judged step is written to the database at
// once, under the run it belongs to.
//
// A run is one verification of one scope. The frame says where one begins (BeginRun: a Full
// Sequence, a test repeated after an adjustment), so that as-found and as-left results stay
// apart; the run is stored with its first row. A new one also begins when the scope's facts
// change (another serial in a new log, another operator).
//
// A store that cannot be opened or written is reported once; the rows go on to the display and
// the log, and the store is left alone for the rest of the program. The rows it missed are
// counted, so that the run can say how many at its end.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/operator.h"
#include "pv/frame/step_sink.h"
#include "results/results_store.h"

namespace veridane {

struct RecorderSeams {
  StoreTarget target;
  // The run's facts at the moment of a row (startedAt and source are filled in here).
  std::function<RunFacts()> facts;
  // The time of a row, ISO 8601 with UTC offset.
  std::function<std::string()> now;
  Operator& op;
};

// The current local time as the store keeps it.
std::string StoreTimeNow();
// The version text runs are stored with.
std::string ProgramVersionText();

class ResultsRecorder : public StepSink {
 public:
  explicit ResultsRecorder(RecorderSeams seams);

  // The next step begins a new run.
  void BeginRun() override { newRun_ = true; }
  void Step(const AssessedStep& step) override;
  // Keeps how the test ended with the run it belongs to, so that the window's record holds a
  // test's outcome and finding as a script's does. A test that failed before its first row
  // begins the run; one that ended without a result and without a row keeps nothing.
  void TestEnded(int16_t test, const std::string& name, TestOutcome outcome, const std::string& finding) override;
  // Stores the run now, before its first row, unless one is under way with the same facts: for
  // a run whose tests failed before any step was measured, so that how they ended is still
  // kept. False when there is no working store.
  bool OpenRun();
  // A result log was created or re-opened: when its session began and at which line.
  void RecordLogSession(const std::string& logPath, int firstLine, bool created);

  // False once the store has failed (reported) or when none is set.
  bool Working() const { return !failed_; }
  // Where the rows go; its error says why a setting that was not understood names no store.
  const StoreTarget& Target() const { return seams_.target; }
  // Rows shown that should have gone to the store and did not (none when the store is off).
  int RowsNotStored() const { return notStored_; }
  // The store, once the first row opened it (the History window reads the same one).
  ResultsStore* Store() { return store_.get(); }
  // The runs this recorder stored, oldest first.
  const std::vector<int64_t>& RunIds() const { return runIds_; }

 private:
  void Report(const std::string& problem);
  bool StoreReady();
  void Record(const StepResult& result, const StepUncertainty& uncertainty);
  // The run a row goes to: a new one when newRun, when there is none or when the facts changed.
  bool StartRun(bool newRun);
  bool SameFacts(const RunFacts& a, const RunFacts& b) const;

  RecorderSeams seams_;
  std::unique_ptr<ResultsStore> store_;
  bool failed_ = false;
  bool wanted_ = false;  // a store is set (or meant to be, by a setting that was not understood)
  int notStored_ = 0;
  std::optional<int64_t> runId_;
  RunFacts runFacts_;
  bool newRun_ = false;
  std::vector<int64_t> runIds_;
  std::vector<RunTestOutcome> outcomes_;  // of the run outcomesRun_
  std::optional<int64_t> outcomesRun_;
};

}  // namespace veridane
