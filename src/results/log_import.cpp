#include "results/log_import.h"

#include <QDateTime>
#include <QFileInfo>
#include <QString>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <set>
#include <string_view>

#include "platform/text8.h"
#include "platform/text8_file.h"
#include "pv/frame/run_state.h"
#include "report/format.h"

namespace veridane {

namespace {

constexpr std::string_view kHeaderStart = "Performance Verification of ";

// A number with its unit as the result columns print it: "-990 mV", "3.20 mV", "1  V".
struct Quantity {
  double value = 0;  // in the base unit
  std::string unit;  // "V", "div", "Hz", "dB", or empty for a bare number
  double factor = 1;  // of its prefix ("m": 0.001)
  size_t end = 0;     // where the quantity ends in the row
};

double PrefixFactor(char prefix) {
  switch (prefix) {
    case 'p': return 1e-12;
    case 'n': return 1e-9;
    case '\xB5': return 1e-6;
    case 'm': return 1e-3;
    case 'k': return 1e3;
    case 'M': return 1e6;
    case 'G': return 1e9;
    case 'T': return 1e12;
    default: return 0;
  }
}

// The unit at the start of text, with its prefix factor; false when none.
bool ReadUnit(std::string_view text, std::string& unit, double& factor, size_t& length) {
  static constexpr std::string_view kUnits[] = {"div", "Hz", "dB", "V", "s"};
  for (size_t skip : {0u, 1u}) {
    if (skip == 1 && (text.empty() || PrefixFactor(text[0]) == 0)) return false;
    for (std::string_view known : kUnits) {
      if (text.substr(skip, known.size()) == known) {
        unit = known;
        factor = skip == 1 ? PrefixFactor(text[0]) : 1;
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

std::optional<MeasuredRow> OffsetRow(std::string_view row, std::string_view judgement) {
  const std::vector<Quantity> volts = OfUnit(Quantities(AfterChannel(row)), "V");
  if (volts.size() < 3 || row.find('\xB1') == std::string_view::npos) return std::nullopt;
  const float scale = static_cast<float>(volts[0].value);
  const float limit = static_cast<float>(volts[1].value);
  return TwoSidedRow(ScaleStep(Channel(row), scale), "V", 0, -limit, static_cast<float>(volts[2].value), judgement);
}

std::optional<MeasuredRow> DcRow(std::string_view fullRow, std::string_view judgement) {
  const std::string channel = Channel(fullRow);
  const std::string_view row = AfterChannel(fullRow);
  const size_t dash = row.find(" - ");
  if (dash == std::string_view::npos) return std::nullopt;
  const std::vector<Quantity> before = Quantities(row.substr(0, dash));
  const std::vector<Quantity> after = Quantities(row.substr(dash + 3));
  if (before.size() < 5 || after.size() < 2 || after[0].unit != "V" || after.back().unit != "V") return std::nullopt;
  // The low limit reads in the prefix of the high one, which carries the unit for both.
  const double high = after[0].value;
  const Quantity& lowText = before.back();
  const double low = lowText.unit.empty() ? lowText.value * after[0].factor : lowText.value;
  const float scale = static_cast<float>(before[0].value);
  // A slash between two numbers marks the difference step ("-900/-600 mV").
  const bool difference = row.substr(0, dash).find('/', row.find("div") + 3) != std::string_view::npos;
  const float output = difference ? static_cast<float>((low + high) / 2) : static_cast<float>(before[3].value);
  MeasuredRow measured = TwoSidedRow(DcStepName(channel, scale, output, difference), "V", output,
                                     -static_cast<float>((high - low) / 2), static_cast<float>(after.back().value), judgement);
  // The printed limits are what the row was judged against.
  measured.lower = low;
  measured.upper = high;
  return measured;
}

std::optional<MeasuredRow> BandwidthRow(std::string_view row, std::string_view judgement) {
  const std::vector<Quantity> volts = OfUnit(Quantities(AfterChannel(row)), "V");
  if (volts.size() < 4) return std::nullopt;
  return LowerLimitRow(ScaleStep(Channel(row), static_cast<float>(volts[0].value)), "V",
                       static_cast<float>(volts[1].value), 30, static_cast<float>(volts[3].value), judgement);
}

std::optional<MeasuredRow> RowOf(int test, std::string_view row) {
  const std::string_view judgement = TrailingJudgement(row);
  switch (test) {
    case kTestOffsetZero:
      return OffsetRow(row, judgement);
    case kTestGain:
      return DcRow(row, judgement);
    case kTestBandwidth:
      return BandwidthRow(row, judgement);
    default:
      return std::nullopt;
  }
}

bool IsJudged(std::string_view row) {
  const std::string_view judgement = TrailingJudgement(row);
  return judgement == " PASS" || judgement == ">PASS" || judgement == " FAIL";
}

std::string AfterLabel(std::string_view line, std::string_view label) {
  return line.rfind(label, 0) == 0 ? Trim(line.substr(label.size())) : std::string();
}

// "12/7/2026, 11:46" in the bench's short date: year first when it has four digits first,
// day first with dots or a first number above 12, else month first (the bench PCs' default).
std::string StartedAt(std::string_view dateTime, const std::string& fileTime) {
  int numbers[5] = {};
  int count = 0;
  int firstDigits = 0;
  char separator = 0;
  size_t i = 0;
  while (i < dateTime.size() && count < 5) {
    if (!std::isdigit(static_cast<unsigned char>(dateTime[i]))) {
      if (count == 1 && separator == 0) separator = dateTime[i];
      ++i;
      continue;
    }
    size_t start = i;
    while (i < dateTime.size() && std::isdigit(static_cast<unsigned char>(dateTime[i]))) ++i;
    std::from_chars(dateTime.data() + start, dateTime.data() + i, numbers[count]);
    if (count == 0) firstDigits = static_cast<int>(i - start);
    ++count;
  }
  if (count < 5) return fileTime;
  int year = 0, month = 0, day = 0;
  if (firstDigits == 4) {
    year = numbers[0], month = numbers[1], day = numbers[2];
  } else if (separator == '.' || numbers[0] > 12) {
    day = numbers[0], month = numbers[1], year = numbers[2];
  } else {
    month = numbers[0], day = numbers[1], year = numbers[2];
  }
  if (year < 100) year += 2000;
  const QDateTime local(QDate(year, month, day), QTime(numbers[3], numbers[4]));
  if (!local.isValid()) return fileTime;
  return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate).toStdString();
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
  int test = 0;
  std::string testName;
  std::set<std::pair<int, std::string>> stepsInRun;
  for (const std::string& compacted : SplitText8Lines(content)) {
    const std::string line = ExpandLine(compacted);
    if (line.rfind(kHeaderStart, 0) == 0) {
      headerSeen = true;
      const std::string rest = line.substr(kHeaderStart.size());
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
      import.runs.push_back(ImportedRun{facts, {}});
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
    bool heading = false;
    for (const ImportTest& known : tests) {
      if (line == known.title || line.rfind(known.title + " - ", 0) == 0) {
        test = known.number;
        testName = known.title;
        heading = true;
      }
    }
    if (heading || !IsJudged(line)) continue;
    std::optional<MeasuredRow> row = RowOf(test, line);
    if (!row) {
      ++import.skippedRows;
      continue;
    }
    // A step shown again in one log is a new run of the same scope, as live.
    const std::pair<int, std::string> step{test, row->step};
    if (stepsInRun.count(step) != 0) {
      ImportedRun again{run.facts, {}};
      import.runs.push_back(again);
      stepsInRun.clear();
    }
    stepsInRun.insert(step);
    import.runs.back().rows.push_back(ShownResult{test, testName, line, *row});
  }
  if (!headerSeen) import.error = "it has no result log header (\"" + std::string(kHeaderStart) + "...\")";
  return import;
}

int ImportResultLog(ResultsStore& store, const std::string& path, const std::vector<ImportTest>& tests,
                    std::string& error) {
  std::string content;
  if (!ReadText8File(path, content, error)) return -1;
  const QFileInfo info(QString::fromStdString(path));
  const std::string fileTime = info.lastModified().toOffsetFromUtc(info.lastModified().offsetFromUtc())
                                   .toString(Qt::ISODate).toStdString();
  const std::string source = Text8FromUtf8(info.absoluteFilePath().toStdString());
  LogImport import = ParseResultLog(content, source, fileTime, tests);
  if (!import.error.empty()) {
    error = path + ": " + import.error;
    return -1;
  }
  if (!import.runs.empty() && store.HasImported(source, import.runs.front().facts.startedAt)) return 0;
  int added = 0;
  for (const ImportedRun& run : import.runs) {
    if (run.rows.empty()) continue;
    std::optional<int64_t> id = store.AddRun(run.facts);
    if (!id) {
      error = store.LastError();
      return -1;
    }
    for (const ShownResult& row : run.rows) {
      if (!store.AddRow(*id, run.facts.startedAt, row)) {
        error = store.LastError();
        return -1;
      }
    }
    ++added;
  }
  return added;
}

}  // namespace veridane
