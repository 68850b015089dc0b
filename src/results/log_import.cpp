#include "results/log_import.h"

#include <QDateTime>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "platform/text8.h"
#include "platform/text8_file.h"
#include "pv/frame/run_state.h"
#include "report/format.h"

namespace veridane {

namespace {

// A number with its unit as the result columns print it: "-990 mV", "3.20 mV", "1  V".
struct Quantity {
  double value = 0;  // in the base unit
  std::string unit;  // "V", "div", "Hz", "dB", or empty for a bare number
  double factor = 1;  // of its prefix ("m": 0.001)
  size_t end = 0;     // where the quantity ends in the row
};

// A measured cell that had no reading, as the rows print it.
constexpr std::string_view kNoReading = "no reading";

// The unit at the start of text, with its prefix factor; false when none.
bool ReadUnit(std::string_view text, std::string& unit, double& factor, size_t& length) {
  static constexpr std::string_view kUnits[] = {"div", "Hz", "dB", "V", "s"};
  for (size_t skip : {0u, 1u}) {
    if (skip == 1 && (text.empty() || !PrefixFactor(text[0]))) return false;
    for (std::string_view known : kUnits) {
      if (text.substr(skip, known.size()) == known) {
        unit = known;
        factor = skip == 1 ? *PrefixFactor(text[0]) : 1;
        length = skip + known.size();
        return true;
      }
    }
  }
  return false;
}

std::vector<Quantity> Quantities(std::string_view row) {
  std::vector<Quantity> found;
  size_t i = 0;
  while (i < row.size()) {
    const bool startsNumber = std::isdigit(static_cast<unsigned char>(row[i])) ||
                              ((row[i] == '-' || row[i] == '+') && i + 1 < row.size() &&
                               std::isdigit(static_cast<unsigned char>(row[i + 1])));
    // A digit inside a word ("CH1") is no quantity; a sign right after a unit ("div-1.00") is.
    const bool inWord = std::isdigit(static_cast<unsigned char>(row[i])) && i > 0 &&
                        std::isalpha(static_cast<unsigned char>(row[i - 1]));
    if (!startsNumber || inWord) {
      ++i;
      continue;
    }
    double value = 0;
    const char* begin = row.data() + i + (row[i] == '+' ? 1 : 0);
    auto [end, problem] = std::from_chars(begin, row.data() + row.size(), value);
    if (problem != std::errc()) {
      ++i;
      continue;
    }
    size_t next = static_cast<size_t>(end - row.data());
    Quantity quantity;
    quantity.value = value;
    size_t unitStart = next;
    while (unitStart < row.size() && row[unitStart] == ' ') ++unitStart;
    double factor = 1;
    size_t length = 0;
    if (ReadUnit(row.substr(unitStart), quantity.unit, factor, length)) {
      quantity.value *= factor;
      quantity.factor = factor;
      next = unitStart + length;
    }
    quantity.end = next;
    found.push_back(quantity);
    i = next;
  }
  return found;
}

std::vector<Quantity> OfUnit(const std::vector<Quantity>& all, std::string_view unit) {
  std::vector<Quantity> some;
  for (const Quantity& q : all)
    if (q.unit == unit) some.push_back(q);
  return some;
}

// "CH 1" in the row, "CH1" in a step's name (as a live run names it).
std::string Channel(std::string_view row) {
  const std::string trimmed = Trim(row);
  if (trimmed.rfind("CH", 0) == 0) {
    size_t digit = 2;
    while (digit < trimmed.size() && trimmed[digit] == ' ') ++digit;
    size_t end = digit;
    while (end < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[end]))) ++end;
    if (end > digit) return "CH" + trimmed.substr(digit, end - digit);
  }
  return trimmed.substr(0, trimmed.find(' '));
}

// The row after its channel ("CH 1"), whose number is no quantity.
std::string_view AfterChannel(std::string_view row) {
  size_t at = row.find_first_not_of(' ');
  if (at == std::string_view::npos || row.substr(at, 2) != "CH") return row;
  at += 2;
  while (at < row.size() && row[at] == ' ') ++at;
  while (at < row.size() && std::isdigit(static_cast<unsigned char>(row[at]))) ++at;
  return row.substr(at);
}

// A step judged as a live run judges it, from the numbers the row printed; the verdict is the
// one the row shows (the limits of an old build may have differed), and a measured cell that
// says so is no reading.
StepResult Judged(std::string step, std::string unit, float nominal, float tolerance, JudgeMode mode,
                  std::optional<float> measured, Verdict shown) {
  StepResult result =
      MakeStepResult(std::move(step), std::move(unit), Judge(nominal, tolerance, mode, measured), measured);
  result.verdict = measured || shown != Verdict::Fail ? shown : Verdict::NotMeasurable;
  return result;
}

bool NoReading(std::string_view row) { return row.find(kNoReading) != std::string_view::npos; }

std::optional<float> Single(const std::vector<Quantity>& quantities, size_t index, bool noReading) {
  if (noReading) return std::nullopt;
  return static_cast<float>(quantities[index].value);
}

std::optional<StepResult> OffsetRow(std::string_view row, Verdict shown) {
  const std::vector<Quantity> volts = OfUnit(Quantities(AfterChannel(row)), "V");
  const bool noReading = NoReading(row);
  if (volts.size() < (noReading ? 2u : 3u) || row.find('\xB1') == std::string_view::npos) return std::nullopt;
  const auto scale = static_cast<float>(volts[0].value);
  const auto limit = static_cast<float>(volts[1].value);
  return Judged(ScaleStep(Channel(row), scale), "V", 0, -limit, JudgeMode::TwoSided, Single(volts, 2, noReading), shown);
}

std::optional<StepResult> DcRow(std::string_view fullRow, Verdict shown) {
  const std::string channel = Channel(fullRow);
  const std::string_view row = AfterChannel(fullRow);
  const size_t dash = row.find(" - ");
  if (dash == std::string_view::npos) return std::nullopt;
  const bool noReading = NoReading(row);
  const std::vector<Quantity> before = Quantities(row.substr(0, dash));
  const std::vector<Quantity> after = Quantities(row.substr(dash + 3));
  if (before.size() < 5 || after.size() < (noReading ? 1u : 2u) || after[0].unit != "V" || after.back().unit != "V")
    return std::nullopt;
  // The low limit reads in the prefix of the high one, which carries the unit for both.
  const double high = after[0].value;
  const Quantity& lowText = before.back();
  const double low = lowText.unit.empty() ? lowText.value * after[0].factor : lowText.value;
  const auto scale = static_cast<float>(before[0].value);
  // A slash between two numbers marks the difference step ("-900/-600 mV").
  const bool difference = row.substr(0, dash).find('/', row.find("div") + 3) != std::string_view::npos;
  const float output = difference ? static_cast<float>((low + high) / 2) : static_cast<float>(before[3].value);
  StepResult result = Judged(DcStepName(channel, scale, output, difference), "V", output,
                             -static_cast<float>((high - low) / 2), JudgeMode::TwoSided,
                             Single(after, after.size() - 1, noReading), shown);
  // The printed limits are what the row was judged against.
  result.lower = low;
  result.upper = high;
  return result;
}

std::optional<StepResult> BandwidthRow(std::string_view row, Verdict shown) {
  const std::vector<Quantity> volts = OfUnit(Quantities(AfterChannel(row)), "V");
  const bool noReading = NoReading(row);
  if (volts.size() < (noReading ? 3u : 4u)) return std::nullopt;
  return Judged(ScaleStep(Channel(row), static_cast<float>(volts[0].value)), "V", static_cast<float>(volts[1].value),
                30, JudgeMode::LowerLimit, Single(volts, 3, noReading), shown);
}

// " 1 ms/div  500 ns/div  10.00000 ms  ±1000 ns/±100 ppm   350 ns/ 35.0 ppm  PASS", or the
// same fixed columns and NOT MEASURABLE. Judged in µs as live, kept in s.
std::optional<StepResult> SampleRateRow(std::string_view row, Verdict shown) {
  constexpr std::string_view kFixedEnd = "100 ppm";
  const size_t fixed = row.find(kFixedEnd);
  if (fixed == std::string_view::npos) return std::nullopt;
  const std::string_view rest = row.substr(fixed + kFixedEnd.size());
  std::optional<float> microseconds;
  if (rest.find("NOT MEASURABLE") == std::string_view::npos) {
    const std::vector<Quantity> seconds = OfUnit(Quantities(rest), "s");
    if (seconds.empty()) return std::nullopt;
    microseconds = static_cast<float>(seconds[0].value * 1E6);
  }
  return Scaled(Judged("Delay 10 ms", "s", 0, -1, JudgeMode::TwoSided, microseconds, shown), 1E-6);
}

// " CH 1        1.0 div       100 MHz        +       -250 mV -  240 mV       PASS": both sides
// of the sweep triggered. NOT TRIG'D does not say whether one of them did: no number then.
std::optional<StepResult> TriggerRow(std::string_view row, Verdict shown) {
  const size_t mhz = row.find("MHz");
  if (mhz == std::string_view::npos) return std::nullopt;
  const size_t slope = row.find_first_not_of(' ', mhz + 3);
  if (slope == std::string_view::npos || (row[slope] != '+' && row[slope] != '-')) return std::nullopt;
  std::optional<float> sides;
  if (row.find("NOT TRIG'D") == std::string_view::npos) {
    if (OfUnit(Quantities(row.substr(slope + 1)), "V").size() < 2) return std::nullopt;
    sides = 2;
  }
  StepResult result =
      MakeStepResult(Channel(row) + (row[slope] == '+' ? " +" : " -"), "sides", Judge(2, 0, JudgeMode::UpperLimit, sides), sides);
  result.verdict = shown;
  return result;
}

std::optional<StepResult> RowOf(int test, std::string_view row, Verdict shown) {
  switch (test) {
    case kTestOffsetZero:
      return OffsetRow(row, shown);
    case kTestGain:
      return DcRow(row, shown);
    case kTestBandwidth:
      return BandwidthRow(row, shown);
    case kTestSampleRate:
      return SampleRateRow(row, shown);
    case kTestTrigger:
      return TriggerRow(row, shown);
    default:
      return std::nullopt;
  }
}

std::string AfterLabel(std::string_view line, std::string_view label) {
  return line.rfind(label, 0) == 0 ? Trim(line.substr(label.size())) : std::string();
}

// A month written as a word ("8 Dec 2026", "Dec 8, 2026"), as some locales' short dates are: 1-12, else 0.
int MonthOfWord(std::string_view word) {
  static constexpr std::string_view kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
  if (word.size() < 3) return 0;
  std::string first;
  for (char c : word.substr(0, 3)) first += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (int month = 0; month < 12; ++month)
    if (first == kMonths[month]) return month + 1;
  return 0;
}

// The header's date as the locale wrote it. "12/7/2026, 11:46": year first when it has four
// digits first, day first with dots or a first number above 12, else month first (the bench
// PCs' default). "8 Dec 2026, 05:22" (this program's own under some locales): the month by its
// name. What cannot be read gives the file's own time.
std::string StartedAt(std::string_view dateTime, const std::string& fileTime) {
  int numbers[5] = {};
  int digitsOf[5] = {};
  int count = 0;
  int namedMonth = 0;
  char separator = 0;
  size_t i = 0;
  while (i < dateTime.size() && count < 5) {
    const auto c = static_cast<unsigned char>(dateTime[i]);
    if (std::isalpha(c)) {
      size_t start = i;
      while (i < dateTime.size() && std::isalpha(static_cast<unsigned char>(dateTime[i]))) ++i;
      if (namedMonth == 0 && count < 2) namedMonth = MonthOfWord(dateTime.substr(start, i - start));
      continue;
    }
    if (!std::isdigit(c)) {
      if (count == 1 && separator == 0) separator = dateTime[i];
      ++i;
      continue;
    }
    size_t start = i;
    while (i < dateTime.size() && std::isdigit(static_cast<unsigned char>(dateTime[i]))) ++i;
    std::from_chars(dateTime.data() + start, dateTime.data() + i, numbers[count]);
    digitsOf[count] = static_cast<int>(i - start);
    ++count;
  }
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  if (namedMonth != 0) {
    if (count < 4) return fileTime;
    month = namedMonth;
    const bool yearFirst = digitsOf[0] == 4 || numbers[0] > 31;
    year = yearFirst ? numbers[0] : numbers[1];
    day = yearFirst ? numbers[1] : numbers[0];
    hour = numbers[2], minute = numbers[3];
  } else {
    if (count < 5) return fileTime;
    if (digitsOf[0] == 4) {
      year = numbers[0], month = numbers[1], day = numbers[2];
    } else if (separator == '.' || numbers[0] > 12) {
      day = numbers[0], month = numbers[1], year = numbers[2];
    } else {
      month = numbers[0], day = numbers[1], year = numbers[2];
    }
    hour = numbers[3], minute = numbers[4];
  }
  if (year < 100) year += 2000;
  const QDateTime local(QDate(year, month, day), QTime(hour, minute));
  if (!local.isValid()) return fileTime;
  return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

// How a test ended, beyond its rows; a later line about the same test replaces an earlier one.
RunTestOutcome& KeepOutcome(std::vector<RunTestOutcome>& outcomes, RunTestOutcome outcome) {
  std::erase_if(outcomes, [&](const RunTestOutcome& o) { return o.number == outcome.number; });
  outcomes.push_back(std::move(outcome));
  return outcomes.back();
}

}  // namespace

LogImport ParseResultLog(const std::string& content, const std::string& source, const std::string& fileTime,
                         const std::vector<ImportTest>& tests) {
  LogImport import;
  RunFacts facts;
  facts.source = source;
  facts.bench = "imported";
  facts.startedAt = fileTime;
  bool headerSeen = false;
  int headers = 0;
  int test = 0;
  std::string testName;
  std::set<std::pair<int, std::string>> stepsInRun;
  RunTestOutcome* findingOf = nullptr;  // the outcome whose finding may go on in the next line
  size_t lineNumber = 0;
  for (const std::string& compacted : SplitText8Lines(content)) {
    ++lineNumber;
    const std::string line = ExpandLine(compacted);
    RunTestOutcome* const continued = std::exchange(findingOf, nullptr);
    if (line.rfind(kLogHeaderStart, 0) == 0) {
      headerSeen = true;
      const std::string rest = line.substr(kLogHeaderStart.size());
      const size_t comma = rest.find(", ");
      facts.scopeModel = rest.substr(0, comma);
      facts.serial.clear();
      if (comma != std::string::npos) {
        std::string serial = rest.substr(comma + 2);
        for (std::string_view label : {"S/N:", "ID:"})
          if (serial.rfind(label, 0) == 0) serial = serial.substr(label.size());
        serial = Trim(serial);
        // An empty field is printed as a line to write on.
        if (serial.find_first_not_of('_') == std::string::npos) serial.clear();
        facts.serial = serial;
      }
      stepsInRun.clear();
      import.runs.push_back(ImportedRun{facts, {}, {}, ++headers});
      continue;
    }
    if (!headerSeen) continue;
    ImportedRun& run = import.runs.back();
    if (line.rfind("Date & Time:", 0) == 0) {
      run.facts.startedAt = StartedAt(line.substr(12), fileTime);
      continue;
    }
    if (line.rfind("Operator:", 0) == 0) {
      run.facts.operatorName = AfterLabel(line, "Operator:");
      if (run.facts.operatorName.find_first_not_of('_') == std::string::npos) run.facts.operatorName.clear();
      continue;
    }
    if (line.rfind("Comments:", 0) == 0) {
      run.facts.comments = AfterLabel(line, "Comments:");
      if (run.facts.comments.find_first_not_of('_') == std::string::npos) run.facts.comments.clear();
      continue;
    }
    // A test that failed on a finding names itself on the finding's first line; its second
    // line, when there is one, says why.
    if (continued != nullptr && line.starts_with("  (\"")) {
      continued->finding += " " + Trim(line);
      continue;
    }
    if (line.ends_with(kSignalNotSet)) {
      const std::string title = line.substr(0, line.size() - kSignalNotSet.size());
      const auto known = std::find_if(tests.begin(), tests.end(), [&](const ImportTest& t) { return t.title == title; });
      if (known != tests.end()) {
        test = known->number;
        testName = known->title;
        findingOf = &KeepOutcome(run.outcomes, RunTestOutcome{test, testName, TestOutcome::Failed, line});
        continue;
      }
    }
    if (line == kStoppedByOperatorLine && test != 0) {
      KeepOutcome(run.outcomes, RunTestOutcome{test, testName, TestOutcome::NotRun, {}});
      continue;
    }
    bool heading = false;
    for (const ImportTest& known : tests) {
      if (line == known.title || line.rfind(known.title + " - ", 0) == 0) {
        test = known.number;
        testName = known.title;
        heading = true;
      }
    }
    if (heading) continue;
    const std::optional<Verdict> shown = VerdictOfRowText(line);
    if (!shown) {
      // Under a test, a line that starts as its rows do (one blank, then the channel or the
      // time base) is a row whose verdict was cut off or garbled: said, never dropped quietly.
      if (test != 0 && line.size() > 1 && line[0] == ' ' && line[1] != ' ')
        import.skipped.push_back("line " + std::to_string(lineNumber) + ": " + Trim(line));
      continue;
    }
    std::optional<StepResult> row = RowOf(test, line, *shown);
    if (!row) {
      import.skipped.push_back("line " + std::to_string(lineNumber) + ": " + Trim(line));
      continue;
    }
    row->test = test;
    row->testName = testName;
    row->text = line;
    // A step shown again in one log is a new run of the same scope, as live.
    const std::pair<int, std::string> step{test, row->step};
    if (stepsInRun.count(step) != 0) {
      ImportedRun again{run.facts, {}, {}, run.header};
      import.runs.push_back(again);
      stepsInRun.clear();
    }
    stepsInRun.insert(step);
    import.runs.back().rows.push_back(std::move(*row));
  }
  if (!headerSeen) import.error = "it has no result log header (\"" + std::string(kLogHeaderStart) + "...\")";
  return import;
}

namespace {

QDateTime TimeOf(const std::string& iso) { return QDateTime::fromString(QString::fromStdString(iso), Qt::ISODate); }

// The stored runs an imported run may be: same scope, its rows' texts in order, started inside
// the window in which the log was written.
struct StoredRunRows {
  StoredRun run;
  std::vector<std::string> texts;
};

std::vector<StoredRunRows> StoredRunsOf(ResultsStore& store, const RunFacts& facts) {
  std::vector<StoredRunRows> runs;
  ResultFilter filter;
  filter.serial = facts.serial;
  for (StoredRow& row : store.Rows(filter)) {
    // An empty serial in a filter matches every scope: the serial is compared here as well.
    if (row.run.facts.serial != facts.serial || row.run.facts.scopeModel != facts.scopeModel) continue;
    // The self calibration's outcome is stored beside the rows; the log has no row for it.
    if (JudgedOnAnswer(row.result)) continue;
    if (runs.empty() || runs.back().run.id != row.run.id) runs.push_back({row.run, {}});
    runs.back().texts.push_back(std::move(row.result.text));
  }
  return runs;
}

}  // namespace

ImportOutcome ImportResultLog(ResultsStore& store, const std::string& path, const std::vector<ImportTest>& tests,
                              bool simulatedStore) {
  ImportOutcome outcome;
  std::string content;
  if (!ReadText8File(path, content, outcome.error)) return outcome;
  const QFileInfo info(QString::fromStdString(path));
  const QDateTime lastChange = info.lastModified();
  const std::string fileTime = lastChange.toOffsetFromUtc(lastChange.offsetFromUtc()).toString(Qt::ISODate).toStdString();
  const std::string source = Text8FromUtf8(info.absoluteFilePath().toStdString());
  LogImport import = ParseResultLog(content, source, fileTime, tests);
  for (ImportedRun& run : import.runs) run.facts.simulated = simulatedStore;
  outcome.skipped = import.skipped;
  if (!import.error.empty()) {
    outcome.error = path + ": " + import.error;
    return outcome;
  }
  outcome.added = 0;
  const auto storeFailed = [&] {
    outcome.error = store.LastError();
    outcome.added = -1;
    return outcome;
  };
  std::set<int64_t> matched;
  // The runs under one header are one stream of rows: a log continued by --append or File >
  // Log File > Append has no header of its own, so a run recorded live may begin or end where
  // this reader's split (a step shown again) did not. Stored runs are found as stretches of that
  // stream; only the rows no stored run holds are added.
  for (size_t first = 0; first < import.runs.size();) {
    size_t end = first + 1;
    while (end < import.runs.size() && import.runs[end].header == import.runs[first].header) ++end;
    struct Place {
      size_t run;
      const StepResult* row;
      bool stored = false;
    };
    std::vector<Place> stream;
    for (size_t r = first; r < end; ++r)
      for (const StepResult& row : import.runs[r].rows) stream.push_back({r, &row});
    const std::string errorBefore = store.LastError();
    const std::vector<StoredRunRows> candidates = StoredRunsOf(store, import.runs[first].facts);
    if (store.LastError() != errorBefore) return storeFailed();
    // The header's time has minutes only; a minute's slack either side covers it and the clock.
    // A file whose last change is before its own header (a copy dated by hand) bounds nothing.
    const QDateTime from = TimeOf(import.runs[first].facts.startedAt).addSecs(-60);
    const QDateTime until = lastChange.addSecs(60);
    const bool bounded = until >= from;
    for (size_t at = 0; at < stream.size();) {
      // The longest stored run that reads on from here: runs of a simulated bench often repeat
      // a shorter run's rows exactly.
      const StoredRunRows* best = nullptr;
      for (const StoredRunRows& candidate : candidates) {
        const size_t n = candidate.texts.size();
        if (n == 0 || at + n > stream.size() || matched.count(candidate.run.id) != 0) continue;
        if (best != nullptr && n <= best->texts.size()) continue;
        const QDateTime started = TimeOf(candidate.run.facts.startedAt);
        if (!started.isValid() || started < from || (bounded && started > until)) continue;
        bool same = true;
        for (size_t k = 0; k < n && same; ++k) same = candidate.texts[k] == stream[at + k].row->text;
        if (same) best = &candidate;
      }
      if (best == nullptr) {
        ++at;
        continue;
      }
      matched.insert(best->run.id);
      ++outcome.alreadyStored;
      for (size_t k = 0; k < best->texts.size(); ++k) stream[at + k].stored = true;
      at += best->texts.size();
    }
    for (size_t r = first; r < end; ++r) {
      const ImportedRun& run = import.runs[r];
      std::vector<const StepResult*> rows;
      for (const Place& place : stream)
        if (place.run == r && !place.stored) rows.push_back(place.row);
      if (rows.empty()) continue;
      // Part of the run is stored already: the outcomes go with the tests whose rows are new.
      std::vector<RunTestOutcome> outcomes;
      for (const RunTestOutcome& told : run.outcomes)
        if (rows.size() == run.rows.size() ||
            std::any_of(rows.begin(), rows.end(), [&](const StepResult* row) { return row->test == told.number; }))
          outcomes.push_back(told);
      std::optional<int64_t> id = store.AddRun(run.facts);
      if (!id) return storeFailed();
      matched.insert(*id);
      for (const StepResult* row : rows)
        if (!store.AddRow(*id, run.facts.startedAt, *row)) return storeFailed();
      if (!outcomes.empty() && !store.SetTestOutcomes(*id, outcomes)) return storeFailed();
      ++outcome.added;
    }
    first = end;
  }
  return outcome;
}

}  // namespace veridane
