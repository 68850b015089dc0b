#pragma once
// The calibration certificate of a stored run, as a PDF drawn with Qt's painting: the lab, a
// certificate number the store hands out once, the unit, dates, conditions, the standards with
// their traceability, the procedure, every step's result (as found beside as left when both
// exist), the statement of conformity, signature lines, "page x of y", and the run's id with
// the SHA-256 of what the database holds of it. A simulated run says so on every page.
//
// Needs a QGuiApplication (fonts); headless, the offscreen platform does.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings.h"
#include "record/run_record.h"

namespace veridane {

inline constexpr const char* kSimulatedCertificateMark = "SIMULATED - NOT A CALIBRATION";

// The lab's name, address, accreditation and logo (settings, section "Certificate").
struct LabIdentity {
  std::string name;
  std::string address;  // lines separated by "|" in the setting
  std::string accreditation;
  std::string logoFile;  // PNG, JPEG or SVG; empty: none
  std::string numberPrefix = "VD-";
};
LabIdentity LabIdentityFromSettings(const Settings& settings);

// A number as the certificate prints it: five significant digits with an engineering prefix,
// "-3.2154 mV", "60.12 MHz" (the C format %.5g of the scaled value).
std::string CertificateValue(double value, const std::string& unit);

// The expanded uncertainty as the certificate states it: rounded up (never down) to two
// significant digits, with an engineering prefix of its own: "\xB1250 \xB5V" for 248.1 \xB5V,
// "\xB162 \xB5V" for 62.00 \xB5V, "\xB120 mV" for 19.66 mV. A U that is not a positive finite
// number is given as CertificateValue gives it.
std::string CertificateUncertainty(double expanded, const std::string& unit);

// A measured value beside its U: rounded to the decimal place of U's last digit as
// CertificateUncertainty states it ("3.21 mV" beside "\xB1250 \xB5V", "160 \xB5V" beside it too).
// With no usable U, as CertificateValue gives it.
std::string CertificateValueBeside(double value, double expanded, const std::string& unit);

// "VD-000017"
std::string CertificateNumberText(const std::string& prefix, int64_t number);

// The tests of the run that did not end with a result (stopped, not available), by name; the
// whole run when its outcomes were never recorded. A certificate for such a run needs --partial.
std::vector<std::string> UnfinishedTests(const RunRecord& record);

struct CertificateContent {
  RunRecord record;
  std::optional<RunRecord> asFound;  // shown beside an as-left run
  std::string number;
  std::string issuedOn;  // ISO date
  LabIdentity lab;
  std::vector<std::string> partialTests;  // named as not covered; empty for a whole run
};

// The PDF's bytes; empty with error set when it cannot be drawn.
std::string CertificatePdf(const CertificateContent& content, std::string& error);

struct CertificateIssue {
  bool ok = false;
  std::string number;  // also when drawing or writing failed after it was issued (it is not reused)
  std::string error;   // one sentence, naming what went wrong
  std::vector<std::string> partialTests;
};

// Refuses an unfinished run unless `partial`; otherwise takes a new number from the store,
// draws the certificate and writes the file whole.
CertificateIssue IssueRunCertificate(ResultsStore& store, int64_t runId, const std::string& pdfPath,
                                     const LabIdentity& lab, bool partial, const std::string& now);

}  // namespace veridane
