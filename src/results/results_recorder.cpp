#include "results/results_recorder.h"

#include <algorithm>

#include <QDateTime>
#include <utility>

#include "platform/operator.h"
#include "platform/text8.h"

namespace veridane {

std::string StoreTimeNow() {
  return QDateTime::currentDateTime().toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc())
      .toString(Qt::ISODate)
      .toStdString();
}

std::string ProgramVersionText() {
  return std::to_string(VERIDANE_VERSION_MAJOR) + "." + std::to_string(VERIDANE_VERSION_MINOR) + "." +
         std::to_string(VERIDANE_VERSION_PATCH);
}

ResultsRecorder::ResultsRecorder(RecorderSeams seams) : seams_(std::move(seams)) {
  wanted_ = seams_.target.kind != StoreKind::None || !seams_.target.error.empty();
  failed_ = !wanted_;
}

bool ResultsRecorder::SameFacts(const RunFacts& a, const RunFacts& b) const {
  return a.scopeModel == b.scopeModel && a.firmware == b.firmware && a.serial == b.serial &&
         a.operatorName == b.operatorName && a.bench == b.bench && a.simulated == b.simulated &&
         a.context == b.context;
}

void ResultsRecorder::Report(const std::string& problem) {
  failed_ = true;
  seams_.op.ShowMessBox("The results database " + Text8FromUtf8(seams_.target.Describe()) + " cannot be used:\n" +
                            Text8FromUtf8(problem) +
                            "\n\nThe tests and the log go on; results are not stored in the database until the "
                            "program is started again.",
                        kOkOnly + kExclamation, "Results Database");
}

bool ResultsRecorder::StoreReady() {
  if (failed_) return false;
  if (store_) return true;
  store_ = std::make_unique<ResultsStore>(seams_.target);
  if (store_->Open()) return true;
  Report(store_->LastError());
  return false;
}

void ResultsRecorder::RecordLogSession(const std::string& logPath, int firstLine, bool created) {
  if (!StoreReady()) return;
  if (!store_->AddLogSession(LogFileKey(logPath), LogSession{seams_.now(), firstLine, created}))
    Report(store_->LastError());
}

bool ResultsRecorder::StartRun(bool newRun) {
  RunFacts facts = seams_.facts();
  if (runId_ && !newRun && SameFacts(facts, runFacts_)) return true;
  facts.startedAt = seams_.now();
  facts.source.clear();
  runId_ = store_->AddRun(facts);
  if (!runId_) {
    Report(store_->LastError());
    return false;
  }
  runFacts_ = facts;
  runIds_.push_back(*runId_);
  newRun_ = false;
  return true;
}

bool ResultsRecorder::OpenRun() { return StoreReady() && StartRun(newRun_); }

void ResultsRecorder::Step(const AssessedStep& step) { Record(step.result, step.uncertainty); }

void ResultsRecorder::TestEnded(int16_t test, const std::string& name, TestOutcome outcome, const std::string& finding) {
  if (!runId_ || newRun_) {
    if (outcome != TestOutcome::Failed || !OpenRun()) return;
  }
  if (failed_ || !store_) return;
  if (outcomesRun_ != runId_) {
    outcomes_.clear();
    outcomesRun_ = runId_;
  }
  std::erase_if(outcomes_, [test](const RunTestOutcome& kept) { return kept.number == test; });
  outcomes_.push_back(RunTestOutcome{test, name, outcome, finding});
  std::sort(outcomes_.begin(), outcomes_.end(),
            [](const RunTestOutcome& a, const RunTestOutcome& b) { return a.number < b.number; });
  if (!store_->SetTestOutcomes(*runId_, outcomes_)) Report(store_->LastError());
}

void ResultsRecorder::Record(const StepResult& result, const StepUncertainty& uncertainty) {
  if (!StoreReady()) {
    if (wanted_) ++notStored_;
    return;
  }
  if (!StartRun(newRun_)) {
    ++notStored_;
    return;
  }
  if (!store_->AddRow(*runId_, seams_.now(), result, uncertainty)) {
    Report(store_->LastError());
    ++notStored_;
  }
}

}  // namespace veridane
