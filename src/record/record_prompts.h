#pragma once
// The calibration record where a person answers: the due-date box at start-up (with the choice
// among entries of one model) and File > Certificate... The window supplies the operator, the
// file dialogs and the chooser; the logic is here so that it is tested without widgets.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_dialogs.h"
#include "platform/operator.h"
#include "platform/settings.h"
#include "record/certificate.h"
#include "record/standards_gate.h"

namespace veridane {

// A condition typed by the technician (temperature in °C, humidity in %): a number in any
// locale's way ("22.5", "22,5"), within [low, high]. Empty text gives no value and true.
bool ConditionReading(const std::string& text, double low, double high, std::optional<double>& value);
inline constexpr double kLowestTemperature = -40, kHighestTemperature = 80;

// The asset chosen among `assets` for an instrument of `model`; empty when none was chosen.
using StandardChooser = std::function<std::string(const std::string& model, const std::vector<std::string>& assets)>;

struct StandardsPromptSeams {
  Operator& op;
  Settings& settings;
  std::string bench;  // the connection text: choices are remembered per bench
  StandardChooser choose;
  std::chrono::year_month_day today;
  // Asks whether to go on although a standard stops the run, with Cancel the default (the
  // program's own message box always makes the first button the default); true for OK.
  std::function<bool(const std::string& text)> goOnAnyway;
};

// Finds the register, asks for a choice where entries share a model (remembered), and names
// every overdue, unmatched or soon due standard in a box. False when the technician chose
// Cancel (the default) at a standard that stops the run; otherwise `context` holds what the
// run records (marked overdue when the technician went on with OK) and `uncertainties` the
// figures of the standards matched.
bool AskAboutStandards(const StandardsSource& source, const std::vector<BenchInstrument>& bench,
                       StandardsPromptSeams seams, RunContext& context, std::vector<UncertaintyFigure>& uncertainties);
inline bool AskAboutStandards(const StandardsSource& source, const std::vector<BenchInstrument>& bench,
                              StandardsPromptSeams seams, RunContext& context) {
  std::vector<UncertaintyFigure> unused;
  return AskAboutStandards(source, bench, seams, context, unused);
}

struct CertificatePromptSeams {
  Operator& op;
  FileDialogs& dialogs;
  LabIdentity lab;
  std::string now;  // ISO 8601
  std::string folder;  // where the save dialog opens (empty: the dialog's own choice)
};

// File > Certificate... for `runId` (the session's last run), whose test outcomes are stored
// first. An unfinished run is certified only when the technician agrees to a partial one.
void CertificateCommand(ResultsStore& store, int64_t runId, const std::vector<RunTestOutcome>& outcomes,
                        CertificatePromptSeams seams);

// History's Certificate... for any stored run, with the outcomes it was stored with; the same
// question for an unfinished run (the command line's --partial). A run that has a certificate
// already is told with its number, and gets no second one. The file is proposed as
// CertificateFileName. True when a certificate was issued.
bool CertifyStoredRun(ResultsStore& store, int64_t runId, CertificatePromptSeams seams);

}  // namespace veridane
