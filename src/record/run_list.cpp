#include "record/run_list.h"

#include <algorithm>

#include "record/certificate.h"
#include "record/run_record.h"
#include "uncertainty/decision.h"

namespace veridane {

bool RunSummary::Failed() const {
  return std::any_of(tests.begin(), tests.end(), [](const RunTestSummary& t) { return t.outcome == TestOutcome::Failed; });
}

std::string RunTestSummary::Word() const { return TestWord(outcome, marginal); }

const RunTestSummary* RunSummary::Test(int number) const {
  const auto it = std::find_if(tests.begin(), tests.end(), [number](const RunTestSummary& t) { return t.number == number; });
  return it == tests.end() ? nullptr : &*it;
}

std::vector<RunSummary> SummariseRuns(ResultsStore& store, const std::string& serial, const std::string& numberPrefix) {
  std::vector<RunSummary> summaries;
  for (const StoredRun& run : store.Runs(serial)) {
    std::string error;
    const std::optional<RunRecord> record = LoadRunRecord(store, run.id, error);
    if (!record) continue;
    RunSummary summary;
    summary.run = record->run;
    for (const TestRows& test : RowsByTest(*record))
      summary.tests.push_back(RunTestSummary{test.number, test.name, test.outcome, test.Marginal(), test.finding});
    std::sort(summary.tests.begin(), summary.tests.end(),
              [](const RunTestSummary& a, const RunTestSummary& b) { return a.number < b.number; });
    for (const IssuedCertificate& issued : store.Certificates(run.id))
      summary.certificates.push_back(CertificateNumberText(numberPrefix, issued.number));
    for (const StoredRow& row : record->rows) {
      if (row.decision.empty()) continue;
      summary.decisionRule = std::string(DecisionRuleName(row.uncertainty.rule));
      break;
    }
    summaries.push_back(std::move(summary));
  }
  return summaries;
}

std::string CertificateFileName(const RunFacts& facts) {
  std::string name = (facts.serial.empty() ? std::string("(no serial)") : facts.serial) + " " + facts.startedAt.substr(0, 10);
  for (char& c : name)
    if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 32) c = '-';
  return name + ".pdf";
}

}  // namespace veridane
