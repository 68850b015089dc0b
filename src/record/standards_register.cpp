#include "record/standards_register.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <map>
#include <optional>
#include <toml++/toml.h>

#include "platform/file_checks.h"
#include "platform/text8.h"

namespace veridane {

StandardsRegisterError::StandardsRegisterError(std::string file, int line, const std::string& what)
    : std::runtime_error(file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + what),
      file_(std::move(file)),
      line_(line) {}

std::string IsoDate(std::chrono::year_month_day date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()));
  return text;
}

namespace {

constexpr std::pair<StandardFunction, std::string_view> kFunctionKeys[] = {
    {StandardFunction::DcVoltage, "dc_voltage"},   {StandardFunction::AcAmplitude, "ac_amplitude"},
    {StandardFunction::Frequency, "frequency"},    {StandardFunction::TimeMarks, "time_marks"},
    {StandardFunction::Attenuation, "attenuation"},
};

int LineOf(const toml::node& node, int fallback) {
  const int line = static_cast<int>(node.source().begin.line);
  return line > 0 ? line : fallback;
}

// Reads one table's values; every complaint names the file, the line and the entry.
class EntryReader {
 public:
  EntryReader(const std::string& file, const toml::table& table, std::string where, int line)
      : file_(file), table_(table), where_(std::move(where)), line_(line) {}

  [[noreturn]] void Fail(const toml::node* node, const std::string& what) const {
    throw StandardsRegisterError(file_, node != nullptr ? LineOf(*node, line_) : line_, where_ + ": " + what);
  }

  void CheckKeys(std::initializer_list<std::string_view> keys) const {
    for (auto&& [key, node] : table_) {
      bool known = false;
      for (std::string_view k : keys) known = known || key.str() == k;
      if (known) continue;
      const int line = static_cast<int>(key.source().begin.line);
      std::string list;
      for (std::string_view k : keys) list += (list.empty() ? "" : ", ") + std::string(k);
      throw StandardsRegisterError(file_, line > 0 ? line : LineOf(node, line_),
                                   where_ + ": unknown key \"" + std::string(key.str()) + "\" (known: " + list + ")");
    }
  }

  const toml::node* Node(std::string_view key) const { return table_.get(key); }

  std::string Text(std::string_view key) const {
    const toml::node* node = table_.get(key);
    if (node == nullptr) Fail(nullptr, "\"" + std::string(key) + "\" is missing");
    const auto* text = node->as_string();
    if (text == nullptr) Fail(node, "\"" + std::string(key) + "\" must be a text in quotes");
    std::string value = Trim(Text8FromUtf8(text->get()));
    if (value.empty()) Fail(node, "\"" + std::string(key) + "\" is empty");
    return value;
  }

  std::chrono::year_month_day Date(std::string_view key) const {
    const toml::node* node = table_.get(key);
    if (node == nullptr) Fail(nullptr, "the date \"" + std::string(key) + "\" is missing");
    const auto* date = node->as_date();
    // A date in quotes is a text to TOML; taking it anyway would hide a typo such as "2027-02-30".
    if (date == nullptr) Fail(node, "\"" + std::string(key) + "\" must be a date such as 2027-03-02 (no quotes)");
    const toml::date d = date->get();
    return std::chrono::year_month_day{std::chrono::year{d.year}, std::chrono::month{d.month},
                                       std::chrono::day{d.day}};
  }

  std::optional<double> Number(std::string_view key) const {
    const toml::node* node = table_.get(key);
    if (node == nullptr) return std::nullopt;
    double value = 0;
    if (const auto* i = node->as_integer()) {
      value = static_cast<double>(i->get());
    } else if (const auto* f = node->as_floating_point()) {
      value = f->get();
    } else {
      Fail(node, "\"" + std::string(key) + "\" must be a number");
    }
    if (!std::isfinite(value)) Fail(node, "\"" + std::string(key) + "\" must be a finite number");
    return value;
  }

  std::optional<bool> Bool(std::string_view key) const {
    const toml::node* node = table_.get(key);
    if (node == nullptr) return std::nullopt;
    const auto* flag = node->as_boolean();
    if (flag == nullptr) Fail(node, "\"" + std::string(key) + "\" must be true or false");
    return flag->get();
  }

 private:
  const std::string& file_;
  const toml::table& table_;
  std::string where_;
  int line_;
};

UncertaintyFigure ReadUncertainty(const std::string& file, const toml::table& table, const std::string& owner, int line) {
  EntryReader reader(file, table, owner + ", uncertainty", line);
  reader.CheckKeys({"function", "band_low_hz", "band_high_hz", "percent", "absolute", "k", "published_limit"});
  UncertaintyFigure figure;
  const std::string function = reader.Text("function");
  if (!StandardFunctionFromKey(function, figure.function))
    reader.Fail(reader.Node("function"),
                "unknown function \"" + function + "\" (dc_voltage, ac_amplitude, frequency, time_marks or attenuation)");
  figure.bandLowHz = reader.Number("band_low_hz");
  figure.bandHighHz = reader.Number("band_high_hz");
  if (figure.bandLowHz && *figure.bandLowHz < 0) reader.Fail(reader.Node("band_low_hz"), "band_low_hz below 0 Hz");
  if (figure.bandHighHz && !(*figure.bandHighHz > figure.bandLowHz.value_or(0)))
    reader.Fail(reader.Node("band_high_hz"), "band_high_hz must lie above band_low_hz (and above 0 Hz)");
  const std::optional<double> percent = reader.Number("percent");
  const std::optional<double> absolute = reader.Number("absolute");
  if (!percent && !absolute) reader.Fail(nullptr, "needs \"percent\", \"absolute\" or both");
  if (percent && *percent < 0) reader.Fail(reader.Node("percent"), "\"percent\" below 0");
  if (absolute && *absolute < 0) reader.Fail(reader.Node("absolute"), "\"absolute\" below 0");
  figure.percentOfValue = percent.value_or(0);
  figure.absolute = absolute.value_or(0);
  const std::optional<double> k = reader.Number("k");
  figure.publishedLimit = reader.Bool("published_limit").value_or(false);
  // A published limit has no coverage factor; a k beside it says the figure is really a
  // certificate's, and one of the two is a mistake.
  if (k && figure.publishedLimit)
    reader.Fail(reader.Node("k"), "give either k (a certificate's expanded uncertainty) or published_limit = true");
  if (k && !(*k > 0)) reader.Fail(reader.Node("k"), "the coverage factor k must be above 0");
  if (k) figure.coverageFactor = *k;
  return figure;
}

ReferenceStandard ReadStandard(const std::string& file, const toml::table& table, size_t index) {
  const int line = LineOf(table, 1);
  const std::string where = "standard " + std::to_string(index + 1);
  EntryReader reader(file, table, where, line);
  reader.CheckKeys({"model", "serial", "asset", "certificate", "calibrated", "due", "uncertainty"});
  ReferenceStandard standard;
  standard.line = line;
  standard.model = reader.Text("model");
  standard.serial = reader.Text("serial");
  standard.asset = reader.Text("asset");
  standard.certificate = reader.Text("certificate");
  standard.calibrated = reader.Date("calibrated");
  standard.due = reader.Date("due");
  const std::string named = where + " (" + standard.asset + ")";
  if (std::chrono::sys_days(standard.due) <= std::chrono::sys_days(standard.calibrated))
    EntryReader(file, table, named, line).Fail(reader.Node("due"), "due " + IsoDate(standard.due) +
                                                                       " is not after calibrated " +
                                                                       IsoDate(standard.calibrated));
  if (const toml::node* node = table.get("uncertainty")) {
    const toml::array* list = node->as_array();
    if (list == nullptr) EntryReader(file, table, named, line).Fail(node, "uncertainty must be [[standard.uncertainty]] tables");
    std::vector<int> lines;
    for (const toml::node& item : *list) {
      const toml::table* entry = item.as_table();
      if (entry == nullptr) EntryReader(file, table, named, line).Fail(&item, "uncertainty must be [[standard.uncertainty]] tables");
      const UncertaintyFigure figure = ReadUncertainty(file, *entry, named, LineOf(item, line));
      // Two figures for one function and band: which one holds would be a guess.
      const double low = figure.bandLowHz.value_or(0);
      const double high = figure.bandHighHz.value_or(std::numeric_limits<double>::infinity());
      for (size_t i = 0; i < standard.uncertainty.size(); ++i) {
        const UncertaintyFigure& other = standard.uncertainty[i];
        if (other.function == figure.function && low < other.bandHighHz.value_or(std::numeric_limits<double>::infinity()) &&
            other.bandLowHz.value_or(0) < high)
          EntryReader(file, *entry, named + ", uncertainty", LineOf(item, line))
              .Fail(nullptr, "a second figure for " + std::string(StandardFunctionKey(figure.function)) +
                                 " over the same frequencies as line " + std::to_string(lines[i]) +
                                 " (give each band once)");
      }
      standard.uncertainty.push_back(figure);
      lines.push_back(LineOf(item, line));
    }
  }
  return standard;
}

}  // namespace

std::string_view StandardFunctionKey(StandardFunction function) {
  for (const auto& [f, key] : kFunctionKeys)
    if (f == function) return key;
  return "dc_voltage";
}

bool StandardFunctionFromKey(std::string_view key, StandardFunction& function) {
  for (const auto& [f, k] : kFunctionKeys) {
    if (k == key) {
      function = f;
      return true;
    }
  }
  return false;
}

StandardsRegister ParseStandardsRegister(std::string_view text, const std::string& file) {
  toml::table root;
  try {
    root = toml::parse(text, file);
  } catch (const toml::parse_error& error) {
    const int line = static_cast<int>(error.source().begin.line);
    throw StandardsRegisterError(file, line > 0 ? line : 1, std::string(error.description()));
  }
  StandardsRegister reg;
  reg.file = file;
  for (auto&& [key, node] : root) {
    if (key.str() == "standard") continue;
    const int line = static_cast<int>(key.source().begin.line);
    throw StandardsRegisterError(file, line > 0 ? line : LineOf(node, 1),
                                 "unknown key \"" + std::string(key.str()) + "\" (entries are [[standard]] tables)");
  }
  const toml::node* list = root.get("standard");
  if (list == nullptr) return reg;
  if (!list->is_array_of_tables())
    throw StandardsRegisterError(file, LineOf(*list, 1), "standard must be [[standard]] tables");
  std::map<std::string, int> assets;  // upper-cased asset id -> its line
  size_t index = 0;
  for (const toml::node& item : *list->as_array()) {
    ReferenceStandard standard = ReadStandard(file, *item.as_table(), index++);
    const int assetLine = LineOf(*item.as_table()->get("asset"), standard.line);
    const auto [known, fresh] = assets.emplace(UpperCase(standard.asset), assetLine);
    if (!fresh)
      throw StandardsRegisterError(file, assetLine, "asset \"" + standard.asset + "\" is already in the register (line " +
                                                            std::to_string(known->second) + ")");
    reg.standards.push_back(std::move(standard));
  }
  return reg;
}

StandardsRegister LoadStandardsRegister(const std::string& path) {
  const FileRead read = ReadRegularFile(path, kStandardsFileLimit);
  if (!read.Ok()) throw StandardsRegisterError(path, 0, "the standards register " + read.problem);
  return ParseStandardsRegister(read.bytes, path);
}

}  // namespace veridane
