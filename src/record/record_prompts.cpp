#include "record/record_prompts.h"

#include "record/run_list.h"

#include <charconv>

#include "platform/text8.h"

namespace veridane {

namespace {

constexpr const char* kStandardsCaption = "Reference Standards";
constexpr const char* kCertificateCaption = "Certificate";

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n- " + line;
  return text;
}

}  // namespace

bool ConditionReading(const std::string& text, double low, double high, std::optional<double>& value) {
  std::string number = Trim(text);
  value.reset();
  if (number.empty()) return true;
  for (char& c : number)
    if (c == ',') c = '.';
  double parsed = 0;
  const auto [end, problem] = std::from_chars(number.data(), number.data() + number.size(), parsed);
  if (problem != std::errc() || end != number.data() + number.size() || !(parsed >= low && parsed <= high)) return false;
  value = parsed;
  return true;
}

bool AskAboutStandards(const StandardsSource& source, const std::vector<BenchInstrument>& bench,
                       StandardsPromptSeams seams, RunContext& context, std::vector<UncertaintyFigure>& uncertainties) {
  std::optional<StandardsRegister> reg;
  try {
    reg = FindStandardsRegister(source);
  } catch (const StandardsRegisterError& error) {
    if (!seams.goOnAnyway || !seams.goOnAnyway("The register of reference standards cannot be used:\n" +
                                               std::string(error.what()) +
                                               "\n\nOK runs without it (the run is marked so); Cancel ends the program."))
      return false;
    const StandardsGate none = CheckBenchStandards(std::nullopt, bench, {}, seams.today);
    context.overdue = true;
    context.standardsRegister.clear();
    context.standards = none.used;
    return true;
  }
  std::map<std::string, std::string> chosen;
  if (reg) {
    std::vector<StandardUse> uses = CheckStandards(*reg, bench, {}, seams.today);
    chosen = RememberedStandardChoices(seams.settings, seams.bench, uses);
    uses = CheckStandards(*reg, bench, chosen, seams.today);
    for (const StandardUse& use : uses) {
      if (use.state != StandardState::Ambiguous || !seams.choose) continue;
      const std::string asset = seams.choose(use.instrument.model, use.candidates);
      if (asset.empty()) continue;
      chosen[use.instrument.model] = asset;
      RememberStandardChoice(seams.settings, seams.bench, use.instrument.model, asset);
    }
  }
  const StandardsGate gate = CheckBenchStandards(reg, bench, chosen, seams.today);
  if (gate.blocking) {
    if (!seams.goOnAnyway || !seams.goOnAnyway("These reference standards may not be used for a calibration:" +
                                               Lines(gate.problems) +
                                               "\n\nOK runs anyway, and every record of the run says so; Cancel ends "
                                               "the program."))
      return false;
  } else if (!gate.problems.empty()) {
    seams.op.ShowMessBox("Reference standards to look at (due soon, or dated oddly in the register):" + Lines(gate.problems), kOkOnly + kInformation,
                         kStandardsCaption);
  }
  context.overdue = gate.blocking;
  context.standardsRegister = gate.registerFile;
  context.standards = gate.used;
  uncertainties = gate.uncertainties;
  return true;
}

namespace {

// Reads the run, asks about a partial certificate and the file, issues it. True when issued.
bool IssueWithPrompts(ResultsStore& store, int64_t runId, CertificatePromptSeams& seams) {
  std::string error;
  const std::optional<RunRecord> record = LoadRunRecord(store, runId, error);
  if (!record) {
    seams.op.ShowMessBox("The run cannot be read from the results database:\n" + error, kOkOnly + kCritical,
                         kCertificateCaption);
    return false;
  }
  const std::vector<std::string> unfinished = UnfinishedTests(*record);
  bool partial = false;
  if (!unfinished.empty()) {
    const int16_t answer = seams.op.ShowMessBox(
        "These tests of the run have no result:" + Lines(unfinished) +
            "\n\nIssue a partial certificate that names them?",
        kYesNo + kQuestion + kDefaultButton2, kCertificateCaption);
    if (answer != kYes) return false;
    partial = true;
  }
  FileDialogRequest request;
  request.title = "Save Certificate";
  request.initialName = CertificateFileName(record->run.facts);
  request.initialFolder = seams.folder;
  request.filter = "PDF Files (*.pdf)|*.pdf";
  const std::optional<std::string> file = seams.dialogs.SaveFile(request);
  if (!file) return false;
  const CertificateIssue issue = IssueRunCertificate(store, runId, *file, seams.lab, partial, seams.now);
  if (!issue.ok) {
    seams.op.ShowMessBox("No certificate" + (issue.number.empty() ? std::string() : " (number " + issue.number + " stays unused)") +
                             ":\n" + issue.error,
                         kOkOnly + kCritical, kCertificateCaption);
    return false;
  }
  seams.op.ShowMessBox("Certificate " + issue.number + " of run " + std::to_string(runId) + " saved.", kOkOnly + kInformation,
                       kCertificateCaption);
  return true;
}

}  // namespace

void CertificateCommand(ResultsStore& store, int64_t runId, const std::vector<RunTestOutcome>& outcomes,
                        CertificatePromptSeams seams) {
  if (runId <= 0) {
    seams.op.ShowMessBox("No result of this session is in the results database yet: run a test first.",
                         kOkOnly + kInformation, kCertificateCaption);
    return;
  }
  store.SetTestOutcomes(runId, outcomes);
  IssueWithPrompts(store, runId, seams);
}

bool CertifyStoredRun(ResultsStore& store, int64_t runId, CertificatePromptSeams seams) {
  const std::vector<IssuedCertificate> issued = store.Certificates(runId);
  if (!issued.empty()) {
    const IssuedCertificate& last = issued.back();
    seams.op.ShowMessBox("Run " + std::to_string(runId) + " has certificate " +
                             CertificateNumberText(seams.lab.numberPrefix, last.number) + " already (issued " +
                             last.issuedAt.substr(0, 10) + ", " + last.file +
                             ").\nA run is certified once: no second certificate is issued for it.",
                         kOkOnly + kInformation, kCertificateCaption);
    return false;
  }
  return IssueWithPrompts(store, runId, seams);
}

}  // namespace veridane
