#pragma once
// The runs of one scope as History lists them: when, where and by whom each was made, how its
// tests ended and the certificates issued for it; and the name a certificate is proposed under.
#include <cstdint>
#include <string>
#include <vector>

#include "report/test_outcome.h"
#include "results/results_store.h"

namespace veridane {

// How one test of a listed run ended: from the stored outcome where the run has one, else from
// its rows; a pass with a marginal step is marked so.
struct RunTestSummary {
  int number = 0;
  std::string name;
  TestOutcome outcome = TestOutcome::NotRun;
  bool marginal = false;
  std::string finding;

  // "PASS", "marginal", "FAIL" or "not run", as the exports name it.
  std::string Word() const;
};

struct RunSummary {
  StoredRun run;
  // By test number. Tests the run never reached are absent.
  std::vector<RunTestSummary> tests;
  std::vector<std::string> certificates;  // numbers as printed ("VD-000003"), oldest first
  std::string decisionRule;  // the rule its rows were decided under ("simple", "guarded"); empty: none kept

  bool Failed() const;
  const RunTestSummary* Test(int number) const;
};

// Oldest first, as the store holds them; an exact serial (empty: the runs made without one).
// Empty when the store cannot be read (LastError() says why).
std::vector<RunSummary> SummariseRuns(ResultsStore& store, const std::string& serial, const std::string& numberPrefix);

// "<serial> <run date>.pdf" ("B012345 2026-12-07.pdf"; "(no serial) ..." without one): a folder
// of certificates sorts by unit and date. Characters a file name cannot hold become "-".
std::string CertificateFileName(const RunFacts& facts);

}  // namespace veridane
