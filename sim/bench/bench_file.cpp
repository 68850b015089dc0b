#include "sim/bench/bench_file.h"

#include <climits>
#include <cmath>
#include <initializer_list>
#include <set>
#include <toml++/toml.h>

#include "platform/file_checks.h"
#include "platform/text8.h"
#include "sim/bench/wiring.h"
#include "sim/instruments/levelled_generator.h"
#include "sim/instruments/scanner.h"

namespace veridane::sim {

BenchFileError::BenchFileError(std::string file, int line, const std::string& what)
    : std::runtime_error(file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + what),
      file_(std::move(file)),
      line_(line) {}

const InstrumentEntry* BenchDescription::Find(InstrumentKind kind) const {
  for (const InstrumentEntry& instrument : instruments) {
    if (instrument.kind == kind) return &instrument;
  }
  return nullptr;
}

namespace {

// Reads values out of the parsed document; every complaint names the file and the line.
class Reader {
 public:
  explicit Reader(std::string file) : file_(std::move(file)) {}

  [[noreturn]] void Fail(const toml::node& node, const std::string& what) const { Fail(LineOf(node), what); }
  [[noreturn]] void Fail(int line, const std::string& what) const { throw BenchFileError(file_, line, what); }

  static int LineOf(const toml::node& node) {
    int line = static_cast<int>(node.source().begin.line);
    return line > 0 ? line : 1;
  }

  void CheckKeys(const toml::table& table, const std::string& where, std::initializer_list<std::string_view> keys) const {
    for (auto&& [key, node] : table) {
      bool known = false;
      for (std::string_view k : keys) known = known || key.str() == k;
      if (!known) {
        int line = static_cast<int>(key.source().begin.line);
        Fail(line > 0 ? line : LineOf(node), "unknown key \"" + std::string(key.str()) + "\"" +
                                                 (where.empty() ? "" : " in [" + where + "]"));
      }
    }
  }

  const toml::table* Table(const toml::table& parent, std::string_view key, const std::string& name) const {
    const toml::node* node = parent.get(key);
    if (node == nullptr) return nullptr;
    if (!node->is_table()) Fail(*node, name + ": expected a table");
    return node->as_table();
  }

  std::optional<double> Number(const toml::table& table, std::string_view key, const std::string& name) const {
    const toml::node* node = table.get(key);
    if (node == nullptr) return std::nullopt;
    if (const auto* i = node->as_integer()) return static_cast<double>(i->get());
    if (const auto* f = node->as_floating_point()) {
      // nan and inf are valid TOML but slip through every range check (a NaN compares false).
      if (!std::isfinite(f->get())) Fail(*node, name + ": expected a finite number");
      return f->get();
    }
    Fail(*node, name + ": expected a number");
  }

  // A whole number that must fit where it goes; a larger one is not silently cut to its low bits.
  std::optional<int> IntegerIn(const toml::table& table, std::string_view key, const std::string& name, int64_t low,
                               int64_t high) const {
    std::optional<int64_t> value = Integer(table, key, name);
    if (!value) return std::nullopt;
    if (*value < low || *value > high)
      Fail(*table.get(key), name + ": must be " + std::to_string(low) + " to " + std::to_string(high));
    return static_cast<int>(*value);
  }

  std::optional<int64_t> Integer(const toml::table& table, std::string_view key, const std::string& name) const {
    const toml::node* node = table.get(key);
    if (node == nullptr) return std::nullopt;
    if (const auto* i = node->as_integer()) return i->get();
    Fail(*node, name + ": expected a whole number");
  }

  std::optional<bool> Bool(const toml::table& table, std::string_view key, const std::string& name) const {
    const toml::node* node = table.get(key);
    if (node == nullptr) return std::nullopt;
    if (const auto* b = node->as_boolean()) return b->get();
    Fail(*node, name + ": expected true or false");
  }

  std::optional<std::string> String(const toml::table& table, std::string_view key, const std::string& name) const {
    const toml::node* node = table.get(key);
    if (node == nullptr) return std::nullopt;
    if (const auto* s = node->as_string()) return Text8FromUtf8(s->get());
    Fail(*node, name + ": expected a text in quotes");
  }

  std::vector<std::pair<std::string, const toml::node*>> Strings(const toml::table& table, std::string_view key,
                                                                 const std::string& name) const {
    std::vector<std::pair<std::string, const toml::node*>> out;
    const toml::node* node = table.get(key);
    if (node == nullptr) return out;
    const toml::array* array = node->as_array();
    if (array == nullptr) Fail(*node, name + ": expected a list of texts");
    for (const toml::node& item : *array) {
      const auto* s = item.as_string();
      if (s == nullptr) Fail(item, name + ": expected a list of texts");
      out.emplace_back(Text8FromUtf8(s->get()), &item);
    }
    return out;
  }

  const toml::node& Node(const toml::table& table, std::string_view key) const { return *table.get(key); }

 private:
  std::string file_;
};

DeviceFaults ReadFaults(const Reader& reader, const toml::table& owner, const std::string& where) {
  DeviceFaults faults;
  const toml::table* table = reader.Table(owner, "faults", where + ".faults");
  if (table == nullptr) return faults;
  std::string name = where + ".faults";
  reader.CheckKeys(*table, name, {"silent", "slow", "vanish_after", "garbage"});
  faults.silent = reader.Bool(*table, "silent", name + ".silent").value_or(false);
  faults.garbage = reader.Bool(*table, "garbage", name + ".garbage").value_or(false);
  if (auto slow = reader.Number(*table, "slow", name + ".slow")) {
    if (*slow < 0) reader.Fail(reader.Node(*table, "slow"), name + ".slow: seconds cannot be negative");
    faults.slowSeconds = *slow;
  }
  if (auto vanish = reader.IntegerIn(*table, "vanish_after", name + ".vanish_after", 0, INT_MAX))
    faults.vanishAfterMessages = *vanish;
  return faults;
}

int ReadAddress(const Reader& reader, const toml::table& table, const std::string& name) {
  std::optional<int64_t> address = reader.Integer(table, "address", name);
  if (*address < 1 || *address > 30) reader.Fail(reader.Node(table, "address"), name + ": must be 1 to 30");
  return static_cast<int>(*address);
}

void ReadScope(const Reader& reader, const toml::table& root, BenchDescription& desc) {
  const toml::table* scope = reader.Table(root, "scope", "scope");
  if (scope == nullptr) {
    // A bench without a scope is how start-up's "no scope" and "no listener" paths are
    // rehearsed. The cables still end in a scope's inputs, one that is not on the bus.
    desc.hasScope = false;
    desc.scope = HealthyScopeConfig("TDS 340", 1);
    return;
  }
  reader.CheckKeys(*scope, "scope",
                   {"model", "firmware", "address", "seed", "time_base_ppm", "self_cal", "error_log",
                    "noise_divisions", "faults", "ch1", "ch2", "trigger"});
  std::optional<std::string> model = reader.String(*scope, "model", "scope.model");
  if (!model) reader.Fail(*scope, "[scope] needs a model, e.g. model = \"TDS 340\"");
  if (!IsSupportedScopeModel(*model)) {
    std::string known;
    for (const std::string& name : SupportedScopeModels()) known += (known.empty() ? "" : ", ") + name;
    reader.Fail(reader.Node(*scope, "model"), "scope.model: unknown model \"" + *model + "\" (known: " + known + ")");
  }
  uint64_t seed = static_cast<uint64_t>(reader.Integer(*scope, "seed", "scope.seed").value_or(1));
  desc.scope = HealthyScopeConfig(*model, seed);
  ScopeConfig& config = desc.scope;
  if (auto firmware = reader.String(*scope, "firmware", "scope.firmware")) config.firmware = *firmware;
  if (scope->get("address")) desc.scopeAddress = ReadAddress(reader, *scope, "scope.address");
  if (auto ppm = reader.Number(*scope, "time_base_ppm", "scope.time_base_ppm")) config.timeBasePpm = *ppm;
  if (auto noise = reader.Number(*scope, "noise_divisions", "scope.noise_divisions")) {
    if (*noise < 0) reader.Fail(reader.Node(*scope, "noise_divisions"), "scope.noise_divisions: cannot be negative");
    config.noiseDivisions = *noise;
  }
  if (const toml::node* selfCal = scope->get("self_cal")) {
    if (const auto* text = selfCal->as_string()) {
      std::string word = UpperCase(text->get());
      if (word != "PASS" && word != "FAIL") reader.Fail(*selfCal, "scope.self_cal: expected \"pass\", \"fail\" or a number");
      config.selfCalResult = word == "PASS" ? 0 : 1;
    } else {
      config.selfCalResult = *reader.IntegerIn(*scope, "self_cal", "scope.self_cal", INT_MIN, INT_MAX);
    }
  }
  if (scope->get("error_log")) {
    config.errorLog.clear();
    for (auto& [entry, node] : reader.Strings(*scope, "error_log", "scope.error_log")) config.errorLog.push_back(entry);
  }
  desc.scopeFaults = ReadFaults(reader, *scope, "scope");
  for (int ch = 0; ch < 2; ++ch) {
    std::string name = ch == 0 ? "ch1" : "ch2";
    const toml::table* channel = reader.Table(*scope, name, "scope." + name);
    if (channel == nullptr) continue;
    std::string where = "scope." + name;
    reader.CheckKeys(*channel, where, {"offset_error", "gain_error", "bandwidth_mhz"});
    ScopeChannelConfig& c = config.channels[ch];
    if (auto v = reader.Number(*channel, "offset_error", where + ".offset_error")) c.offsetErrorVolts = *v;
    if (auto v = reader.Number(*channel, "gain_error", where + ".gain_error")) {
      if (*v <= -1) reader.Fail(reader.Node(*channel, "gain_error"), where + ".gain_error: a fraction above -1, e.g. 0.03");
      c.gainError = *v;
    }
    if (auto v = reader.Number(*channel, "bandwidth_mhz", where + ".bandwidth_mhz")) {
      if (*v <= 0) reader.Fail(reader.Node(*channel, "bandwidth_mhz"), where + ".bandwidth_mhz: must be above 0");
      c.bandwidthHz = *v * 1e6;
    }
  }
  if (const toml::table* trigger = reader.Table(*scope, "trigger", "scope.trigger")) {
    reader.CheckKeys(*trigger, "scope.trigger", {"ch1", "ch2", "ext"});
    ScopeTriggerSensitivity& t = config.triggerSensitivity;
    for (auto [key, field] : {std::pair{"ch1", &t.ch1}, {"ch2", &t.ch2}, {"ext", &t.ext}}) {
      if (auto v = reader.Number(*trigger, key, std::string("scope.trigger.") + key)) {
        if (*v < 0) reader.Fail(reader.Node(*trigger, key), std::string("scope.trigger.") + key + ": cannot be negative");
        *field = *v;
      }
    }
  }
}

// The instrument's kind and table name for a bench-file type; false if unknown.
bool Classify(const std::string& type, InstrumentEntry& desc) {
  std::string squeezed;
  for (char c : UpperCase(type)) {
    if (c != ' ') squeezed += c;
  }
  if (const GeneratorModel* model = FindGeneratorModel(type)) {
    desc.kind = InstrumentKind::Generator;
    desc.type = model->name;
  } else if (squeezed == "GENERATOR") {
    desc.kind = InstrumentKind::Generator;
    desc.type = "generator";
  } else if (squeezed == "AT5010") {
    desc.kind = InstrumentKind::Attenuator;
    desc.type = "AT 5010";
  } else if (squeezed == "CG5010" || squeezed == "CG5011") {
    desc.kind = InstrumentKind::TimeMarks;
    desc.type = "CG " + squeezed.substr(2);
  } else if (squeezed == "TIMEMARKS") {
    desc.kind = InstrumentKind::TimeMarks;
    desc.type = "time marks";
  } else if (squeezed == "FLUKE5100A" || squeezed == "FLUKE5100B") {
    desc.kind = InstrumentKind::Calibrator;
    desc.type = "Fluke " + squeezed.substr(5);
  } else if (squeezed == "CALIBRATOR") {
    desc.kind = InstrumentKind::Calibrator;
    desc.type = "calibrator";
  } else if (const ScannerModel* scanner = FindScannerModel(type)) {
    desc.kind = InstrumentKind::Scanner;
    desc.type = scanner->name;
  } else {
    return false;
  }
  return true;
}

void ReadInstruments(const Reader& reader, const toml::table& root, BenchDescription& desc) {
  const toml::node* node = root.get("instrument");
  if (node == nullptr) return;
  const toml::array* list = node->as_array();
  if (list == nullptr) reader.Fail(*node, "instrument: write each one as [[instrument]]");
  std::map<int, int> addressLines;
  if (desc.hasScope) addressLines[desc.scopeAddress] = 0;
  std::set<InstrumentKind> single;
  for (const toml::node& item : *list) {
    const toml::table* table = item.as_table();
    if (table == nullptr) reader.Fail(item, "instrument: write each one as [[instrument]]");
    InstrumentEntry instrument;
    instrument.line = Reader::LineOf(*table);
    std::optional<std::string> type = reader.String(*table, "type", "instrument.type");
    if (!type) reader.Fail(*table, "[[instrument]] needs a type, e.g. type = \"SG 5030\"");
    if (!Classify(*type, instrument)) {
      reader.Fail(reader.Node(*table, "type"), "instrument.type: unknown instrument \"" + *type + "\"");
    }
    bool generator = instrument.kind == InstrumentKind::Generator;
    bool timeMarks = instrument.kind == InstrumentKind::TimeMarks;
    std::vector<std::string_view> keys = {"type", "address", "faults"};
    if (generator) keys.insert(keys.end(), {"id", "flatness", "comp_file"});
    if (timeMarks) keys.push_back("ppm_error");
    for (auto&& [key, value] : *table) {
      bool known = false;
      for (std::string_view k : keys) known = known || key.str() == k;
      if (!known) {
        reader.Fail(value, "unknown key \"" + std::string(key.str()) + "\" for a " + instrument.type);
      }
    }
    bool handSet = instrument.type == "generator" || instrument.type == "calibrator" || instrument.type == "time marks";
    if (table->get("address")) {
      if (handSet) {
        reader.Fail(reader.Node(*table, "address"),
                    "instrument.address: a hand-set " + instrument.type + " is not on the bus; name its model instead");
      }
      int address = ReadAddress(reader, *table, "instrument.address");
      auto [it, fresh] = addressLines.emplace(address, instrument.line);
      if (!fresh) {
        reader.Fail(reader.Node(*table, "address"),
                    "instrument.address: address " + std::to_string(address) + " is already taken by " +
                        (it->second == 0 ? std::string("the scope") : "the instrument of line " + std::to_string(it->second)));
      }
      instrument.address = address;
    } else if (instrument.kind == InstrumentKind::Attenuator || instrument.kind == InstrumentKind::Scanner) {
      reader.Fail(*table, "[[instrument]] " + instrument.type + " needs an address: it is only ever set over the bus");
    }
    if (instrument.kind != InstrumentKind::Attenuator && instrument.kind != InstrumentKind::Scanner &&
        !single.insert(instrument.kind).second) {
      reader.Fail(*table, "[[instrument]] the bench already has a " +
                              std::string(generator ? "generator" : timeMarks ? "time-mark generator" : "calibrator"));
    }
    if (!instrument.address && table->get("faults")) {
      reader.Fail(reader.Node(*table, "faults"), "instrument.faults: only a device on the bus can have bus faults");
    }
    instrument.faults = ReadFaults(reader, *table, "instrument");
    if (generator) {
      instrument.id = reader.String(*table, "id", "instrument.id");
      if (const toml::node* flatness = table->get("flatness")) {
        const toml::array* pair = flatness->as_array();
        if (pair == nullptr || pair->size() != 2 || !(*pair)[0].is_number() || !(*pair)[1].is_number()) {
          reader.Fail(*flatness, "instrument.flatness: expected two numbers [per GHz, per GHz squared]");
        }
        instrument.flatness1 = (*pair)[0].value<double>();
        instrument.flatness2 = (*pair)[1].value<double>();
        if (!std::isfinite(instrument.flatness1.value_or(0)) || !std::isfinite(instrument.flatness2.value_or(0)))
          reader.Fail(*flatness, "instrument.flatness: expected two finite numbers");
      }
      if (auto comp = reader.String(*table, "comp_file", "instrument.comp_file")) {
        if (*comp == "written") {
          instrument.compFile = InstrumentEntry::CompFile::Written;
        } else if (*comp == "missing") {
          instrument.compFile = InstrumentEntry::CompFile::Missing;
        } else if (*comp == "short") {
          instrument.compFile = InstrumentEntry::CompFile::Short;
        } else {
          reader.Fail(reader.Node(*table, "comp_file"), "instrument.comp_file: expected \"written\", \"missing\" or \"short\"");
        }
      }
    }
    if (timeMarks) instrument.ppmError = reader.Number(*table, "ppm_error", "instrument.ppm_error").value_or(0);
    desc.instruments.push_back(std::move(instrument));
  }
}

bool ValidRelayCodes(const std::string& codes) {
  if (codes.empty() || codes.size() % 2 != 0) return false;
  for (size_t i = 0; i < codes.size(); i += 2) {
    if (codes[i] < 'A' || codes[i] > 'D' || codes[i + 1] < '0' || codes[i + 1] > '9') return false;
  }
  return true;
}

void ReadWiring(const Reader& reader, const toml::table& root, BenchDescription& desc) {
  const toml::table* wiring = reader.Table(root, "wiring", "wiring");
  if (wiring == nullptr) return;
  reader.CheckKeys(*wiring, "wiring",
                   {"generator_through_attenuator", "terminated", "scanner_file", "scanner_file_text", "relays", "cable"});
  desc.generatorThroughAttenuator =
      reader.Bool(*wiring, "generator_through_attenuator", "wiring.generator_through_attenuator").value_or(true);
  for (auto& [name, node] : reader.Strings(*wiring, "terminated", "wiring.terminated")) {
    std::optional<ScopeInput> input = ScopeInputFromName(name);
    if (!input) reader.Fail(*node, "wiring.terminated: unknown input \"" + name + "\" (CH1, CH2 or EXT)");
    desc.terminated.push_back(*input);
  }
  if (auto mode = reader.String(*wiring, "scanner_file", "wiring.scanner_file")) {
    if (*mode == "written") {
      desc.scannerFile = BenchDescription::ScannerFile::Written;
    } else if (*mode == "missing") {
      desc.scannerFile = BenchDescription::ScannerFile::Missing;
    } else if (*mode == "empty") {
      desc.scannerFile = BenchDescription::ScannerFile::Empty;
    } else {
      reader.Fail(reader.Node(*wiring, "scanner_file"), "wiring.scanner_file: expected \"written\", \"missing\" or \"empty\"");
    }
  }
  desc.scannerFileText = reader.String(*wiring, "scanner_file_text", "wiring.scanner_file_text");

  int scanners = 0;
  for (const InstrumentEntry& instrument : desc.instruments) scanners += instrument.kind == InstrumentKind::Scanner;
  if (const toml::table* relays = reader.Table(*wiring, "relays", "wiring.relays")) {
    for (auto&& [key, node] : *relays) {
      std::string name = UpperCase(std::string(key.str()));
      const auto* text = node.as_string();
      if (text == nullptr) reader.Fail(node, "wiring.relays." + name + ": expected relay codes in quotes, e.g. \"A1C1\"");
      std::string codes = UpperCase(text->get());
      if (!ValidRelayCodes(codes)) {
        reader.Fail(node, "wiring.relays." + name + ": \"" + codes + "\" is not a run of relay codes A0..D9");
      }
      if (scanners == 0) reader.Fail(node, "wiring.relays: the bench has no scanner");
      if (scanners < 2 && codes.find_first_of("CD") != std::string::npos) {
        reader.Fail(node, "wiring.relays." + name + ": codes C and D need a second scanner");
      }
      desc.relays[name] = codes;
    }
  }
  if (const toml::node* cables = wiring->get("cable")) {
    const toml::array* list = cables->as_array();
    if (list == nullptr) reader.Fail(*cables, "wiring.cable: write each one as [[wiring.cable]]");
    for (const toml::node& item : *list) {
      const toml::table* table = item.as_table();
      if (table == nullptr) reader.Fail(item, "wiring.cable: write each one as [[wiring.cable]]");
      reader.CheckKeys(*table, "wiring.cable", {"source", "input", "ratio"});
      CableEntry cable;
      std::optional<std::string> source = reader.String(*table, "source", "wiring.cable.source");
      std::optional<std::string> input = reader.String(*table, "input", "wiring.cable.input");
      if (!source || !input) reader.Fail(*table, "[[wiring.cable]] needs a source and an input");
      cable.source = UpperCase(*source);
      if (!IsSourceName(cable.source)) {
        reader.Fail(reader.Node(*table, "source"), "wiring.cable.source: unknown source \"" + *source +
                                                       "\" (SG, CALIB, CGTR or ATT)");
      }
      std::optional<ScopeInput> scopeInput = ScopeInputFromName(*input);
      if (!scopeInput) reader.Fail(reader.Node(*table, "input"), "wiring.cable.input: unknown input \"" + *input + "\" (CH1, CH2 or EXT)");
      cable.input = *scopeInput;
      cable.ratio = reader.Number(*table, "ratio", "wiring.cable.ratio").value_or(1);
      if (!(cable.ratio >= 1)) reader.Fail(reader.Node(*table, "ratio"), "wiring.cable.ratio: a divide ratio of 1 or more");
      desc.cables.push_back(cable);
    }
  }
}

}  // namespace

BenchDescription ParseBenchText(std::string_view text, const std::string& file) {
  toml::table root;
  try {
    root = toml::parse(text, file);
  } catch (const toml::parse_error& error) {
    int line = static_cast<int>(error.source().begin.line);
    throw BenchFileError(file, line > 0 ? line : 1, std::string(error.description()));
  }
  Reader reader(file);
  reader.CheckKeys(root, "", {"description", "scope", "instrument", "wiring", "standard_errors"});
  BenchDescription desc;
  desc.file = file;
  desc.description = reader.String(root, "description", "description").value_or("");
  ReadScope(reader, root, desc);
  ReadInstruments(reader, root, desc);
  ReadWiring(reader, root, desc);
  if (const toml::table* errors = reader.Table(root, "standard_errors", "standard_errors")) {
    reader.CheckKeys(*errors, "standard_errors", {"seed"});
    std::optional<int64_t> seed = reader.Integer(*errors, "seed", "standard_errors.seed");
    if (!seed) reader.Fail(*errors, "[standard_errors] needs a seed, e.g. seed = 1");
    desc.standardErrorSeed = static_cast<uint64_t>(*seed);
  }
  return desc;
}

BenchDescription LoadBenchFile(const std::string& path) {
  const FileRead read = ReadRegularFile(path, kBenchFileLimit);
  if (!read.Ok()) throw BenchFileError(path, 0, "the bench file " + read.problem);
  return ParseBenchText(read.bytes, path);
}

namespace {

bool Misbehaves(const DeviceFaults& faults) {
  return faults.silent || faults.slowSeconds > 0 || faults.vanishAfterMessages >= 0 || faults.garbage;
}

}  // namespace

bool InjectsFaults(const BenchDescription& desc) {
  const ScopeConfig healthy = HealthyScopeConfig(desc.scope.model, desc.scope.seed);
  const ScopeConfig& scope = desc.scope;
  for (const ScopeChannelConfig& channel : scope.channels)
    if (channel.offsetErrorVolts != 0 || channel.gainError != 0 || channel.bandwidthHz > 0) return true;
  const ScopeTriggerSensitivity& trigger = scope.triggerSensitivity;
  if (trigger.ch1 != healthy.triggerSensitivity.ch1 || trigger.ch2 != healthy.triggerSensitivity.ch2 ||
      trigger.ext != healthy.triggerSensitivity.ext)
    return true;
  if (scope.timeBasePpm != healthy.timeBasePpm || scope.selfCalResult != 0 || Misbehaves(desc.scopeFaults)) return true;
  for (const InstrumentEntry& instrument : desc.instruments)
    if (Misbehaves(instrument.faults) || instrument.compFile != InstrumentEntry::CompFile::Written ||
        instrument.ppmError != 0)
      return true;
  return desc.scannerFile != BenchDescription::ScannerFile::Written;
}

}  // namespace veridane::sim
