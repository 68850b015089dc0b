#include "results/results_csv.h"

#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <optional>

#include "platform/text8.h"
#include "platform/text8_file.h"

namespace veridane {

namespace {

// A text cell a spreadsheet would take for a formula (a serial typed as "=HYPERLINK(...)", an
// operator "-2+3") is kept as text by a leading apostrophe, as spreadsheets themselves do.
std::string Field(const std::string& text8) {
  std::string text = Utf8FromText8(text8);
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) text.insert(0, "'");
  if (text.find_first_of(",\"\r\n;") == std::string::npos && (text.empty() || (text.front() != ' ' && text.back() != ' ')))
    return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Number(const std::optional<double>& value) {
  if (!value || !std::isfinite(*value)) return "";
  char buffer[32];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, *value).ptr;  // shortest exact form
  return std::string(buffer, end);
}

// A row without a reading fails, as the result table shows it: a filter on FAIL must find it.
// That it had no reading is said in the reading column.
std::string VerdictCell(Verdict verdict) {
  return std::string(VerdictName(verdict == Verdict::NotMeasurable ? Verdict::Fail : verdict));
}

}  // namespace

std::string ResultsCsvText(const std::vector<StoredRow>& rows) {
  std::string text =
      "run_started,serial,scope_model,firmware,operator,bench,simulated,source,recorded_at,test,step,unit,nominal,"
      "lower_limit,upper_limit,marginal_lower,marginal_upper,measured,verdict,row_text,reading\r\n";
  for (const StoredRow& stored : rows) {
    const RunFacts& run = stored.run.facts;
    const StepResult& row = stored.result;
    const std::string fields[] = {Field(run.startedAt), Field(run.serial), Field(run.scopeModel), Field(run.firmware),
                                  Field(run.operatorName), Field(run.bench), run.simulated ? "1" : "0",
                                  Field(run.source), Field(stored.recordedAt), Field(stored.result.testName),
                                  Field(row.step), Field(row.unit), Number(row.nominal), Number(row.lower),
                                  Number(row.upper), Number(row.marginalLower), Number(row.marginalUpper),
                                  Number(row.measured), VerdictCell(row.verdict), Field(stored.result.text),
                                  row.verdict == Verdict::NotMeasurable ? "no reading" : ""};
    bool first = true;
    for (const std::string& field : fields) {
      if (!first) text += ',';
      text += field;
      first = false;
    }
    text += "\r\n";
  }
  return text;
}

bool WriteResultsCsv(const std::string& path, const std::vector<StoredRow>& rows, std::string& error) {
  // The file is replaced by renaming a new one over it: whatever else sits at that name (a
  // FIFO, a device, a link to another file) is not ours to replace.
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    error = Text8FromUtf8(path) + ": not a regular file; give a new file name or an existing CSV file";
    return false;
  }
  return ReplaceText8File(path, ResultsCsvText(rows), error);
}

}  // namespace veridane
