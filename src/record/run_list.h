#pragma once
// The runs of one scope as History lists them: when, where and by whom each was made, how its
// tests ended and the certificates issued for it; and the name a certificate is proposed under.
#include <cstdint>
#include <string>
#include <vector>

#include "results/results_store.h"

namespace veridane {

struct RunSummary {
  StoredRun run;
  // By test number: the test's name and how it ended ("PASS", "marginal", "FAIL", "not run"),
  // from the stored outcomes where the run has them, else from its rows. Tests the run never
  // reached are absent.
  std::vector<RunTestOutcome> tests;
  std::vector<std::string> certificates;  // numbers as printed ("VD-000003"), oldest first
  std::string decisionRule;  // the rule its rows were decided under ("simple", "guarded"); empty: none kept

  bool Failed() const;
  const RunTestOutcome* Test(int number) const;
};

// Oldest first, as the store holds them; an exact serial (empty: the runs made without one).
// Empty when the store cannot be read (LastError() says why).
std::vector<RunSummary> SummariseRuns(ResultsStore& store, const std::string& serial, const std::string& numberPrefix);

// "<serial> <run date>.pdf" ("B012345 2026-12-07.pdf"; "(no serial) ..." without one): a folder
// of certificates sorts by unit and date. Characters a file name cannot hold become "-".
std::string CertificateFileName(const RunFacts& facts);

}  // namespace veridane
