#include "sim/bench/bench.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "sim/bench/shipped_benches.h"
#include "sim/instruments/compensation.h"

namespace veridane::sim {

InputSignals InputSignalsOf(const Wiring& wiring) {
  return [&wiring](ScopeInput input) { return wiring.SignalAt(input); };
}

Bench::Bench(const BenchDescription& desc, EventLoop& loop, BenchOptions options) : desc_(desc), bus_(loop) {
  scope_ = std::make_unique<SimScope>(desc_.scope, InputSignalsOf(wiring_), &loop);
  if (desc_.hasScope) {
    bus_.Attach(desc_.scopeAddress, *scope_);
    bus_.SetFaults(desc_.scopeAddress, desc_.scopeFaults);
  }
  BuildInstruments(loop);
  BuildWiring();
  WriteInstrumentData(options.dataFolder);
}

Bench::~Bench() = default;

std::unique_ptr<Bench> Bench::FromFile(const std::string& path, EventLoop& loop, BenchOptions options) {
  return std::make_unique<Bench>(LoadBenchFile(path), loop, std::move(options));
}

std::unique_ptr<Bench> Bench::FromText(std::string_view text, const std::string& name, EventLoop& loop,
                                       BenchOptions options) {
  return std::make_unique<Bench>(ParseBenchText(text, name), loop, std::move(options));
}

std::unique_ptr<Bench> Bench::Shipped(std::string_view name, EventLoop& loop, BenchOptions options) {
  std::optional<std::string_view> text = ShippedBenchText(name);
  if (!text) {
    std::string known;
    for (const std::string& bench : ShippedBenchNames()) known += (known.empty() ? "" : ", ") + bench;
    throw BenchFileError(std::string(name), 0, "no such bench (shipped benches: " + known + ")");
  }
  return FromText(*text, ShippedBenchFileName(name), loop, std::move(options));
}

std::unique_ptr<Bench> Bench::Open(std::string_view nameOrPath, EventLoop& loop, BenchOptions options) {
  bool path = nameOrPath.find('/') != std::string_view::npos ||
              (nameOrPath.size() > 5 && nameOrPath.substr(nameOrPath.size() - 5) == ".toml");
  if (path) return FromFile(std::string(nameOrPath), loop, std::move(options));
  return Shipped(nameOrPath, loop, std::move(options));
}

void Bench::BuildInstruments(EventLoop&) {
  for (const InstrumentEntry& instrument : desc_.instruments) {
    if (!instrument.address) continue;  // hand-set: the manual sources stand in
    SimDevice* device = nullptr;
    switch (instrument.kind) {
      case InstrumentKind::Generator: {
        GeneratorModel model = *FindGeneratorModel(instrument.type);
        if (instrument.id) model.idReply = *instrument.id;
        if (instrument.flatness1) model.flatness1 = *instrument.flatness1;
        if (instrument.flatness2) model.flatness2 = *instrument.flatness2;
        generator_ = MakeGenerator(model);
        device = generator_.get();
        break;
      }
      case InstrumentKind::Attenuator:
        attenuators_.push_back(std::make_unique<At5010>());
        device = attenuators_.back().get();
        break;
      case InstrumentKind::Calibrator:
        calibrator_ = std::make_unique<Fluke5100>(instrument.type);
        device = calibrator_.get();
        break;
      case InstrumentKind::TimeMarks:
        timeMarks_ = std::make_unique<Cg5011>(instrument.type, instrument.ppmError);
        device = timeMarks_.get();
        break;
      case InstrumentKind::Scanner:
        scanners_.push_back(std::make_unique<Scanner>(*FindScannerModel(instrument.type)));
        device = scanners_.back().get();
        break;
    }
    bus_.Attach(*instrument.address, *device);
    bus_.SetFaults(*instrument.address, instrument.faults);
  }
  if (const std::optional<uint64_t> seed = desc_.standardErrorSeed) {
    // One seeded sequence per standard, so the draws of one never shift another's.
    if (calibrator_) calibrator_->SetStandardErrors(StandardErrors(*seed * 3 + 1, kSimCalibratorDcVolts));
    if (generator_) {
      const GeneratorLanguage language = generator_->Model().language;
      const StandardErrorFigures figures = language == GeneratorLanguage::Scpi    ? kSimSmeAmplitude
                                           : language == GeneratorLanguage::Fluke ? kSimFlukeGeneratorAmplitude
                                                                                  : kSimGeneratorAmplitude;
      generator_->SetStandardErrors(StandardErrors(*seed * 3 + 2, figures));
    }
    if (timeMarks_) timeMarks_->SetStandardErrors(StandardErrors(*seed * 3 + 3, kSimTimeMarkPeriod));
  }
}

void Bench::BuildWiring() {
  wiring_.SetSource("SG", generator_ ? static_cast<const SignalSource*>(generator_.get()) : &manualGenerator_);
  wiring_.SetSource("CALIB", calibrator_ ? static_cast<const SignalSource*>(calibrator_.get()) : &manualCalibrator_);
  wiring_.SetSource("CGTR", timeMarks_ ? static_cast<const SignalSource*>(timeMarks_.get()) : &manualTimeMarks_);
  wiring_.SetAttenuator(Attenuator(), desc_.generatorThroughAttenuator);
  wiring_.SetScanners(ScannerNumber(0), ScannerNumber(1));
  wiring_.SetRelayPaths(desc_.relays);
  for (ScopeInput input : desc_.terminated) wiring_.SetTermination(input, true);
  for (const CableEntry& cable : desc_.cables) wiring_.ConnectCable(cable.source, cable.input, cable.ratio);
}

Scanner* Bench::ScannerNumber(int index) {
  return index >= 0 && index < static_cast<int>(scanners_.size()) ? scanners_[index].get() : nullptr;
}

bool Bench::ConnectCable(std::string_view source, ScopeInput input, double ratio) {
  return wiring_.ConnectCable(source, input, ratio);
}

bool Bench::SetManualGenerator(double frequencyHz, double vpp) {
  if (!generator_) {
    if (!(frequencyHz > 0 && vpp >= 0)) return false;
    manualGenerator_.Set(frequencyHz, vpp);
    return true;
  }
  double oldFrequency = generator_->FrequencyHz();
  if (!generator_->SetFrequency(frequencyHz)) return false;
  if (!generator_->SetLevelVpp(vpp)) {
    generator_->SetFrequency(oldFrequency);
    return false;
  }
  generator_->SetOutput(true);
  return true;
}

bool Bench::SetManualGeneratorFrequency(double frequencyHz) {
  if (!generator_) {
    if (!(frequencyHz > 0)) return false;
    manualGenerator_.SetFrequency(frequencyHz);
    manualGenerator_.SetOutput(true);
    return true;
  }
  if (!generator_->SetFrequency(frequencyHz)) return false;
  generator_->SetOutput(true);
  return true;
}

bool Bench::SetManualGeneratorAmplitude(double vpp) {
  if (!generator_) {
    if (!(vpp >= 0)) return false;
    manualGenerator_.SetAmplitude(vpp);
    manualGenerator_.SetOutput(true);
    return true;
  }
  if (!generator_->SetLevelVpp(vpp)) return false;
  generator_->SetOutput(true);
  return true;
}

bool Bench::SetManualCalibrator(double volts) {
  if (calibrator_) return calibrator_->SetDcVolts(volts);
  manualCalibrator_.SetVolts(volts);
  return true;
}

bool Bench::SetManualTimeMarks(double periodSeconds) {
  if (!timeMarks_) {
    manualTimeMarks_.SetPeriod(periodSeconds);
    return true;
  }
  if (!timeMarks_->SetMarkerPeriod(periodSeconds)) return false;
  timeMarks_->SetMode(Cg5011::Mode::Markers);
  return true;
}

bool Bench::TraceToFile(const std::string& path) {
  SimBus::TraceSink sink = sim::TraceToFile(path);
  if (!sink) return false;
  bus_.SetTrace(std::move(sink));
  return true;
}

void Bench::WriteInstrumentData(const std::string& requestedFolder) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (requestedFolder.empty()) {
    try {
      ownFolder_ = std::make_unique<BenchFolder>();
    } catch (const std::runtime_error&) {
      throw BenchFileError(desc_.file, 0, "cannot make a temporary folder for the bench's instrument data");
    }
    dataFolder_ = ownFolder_->Path();
  } else {
    dataFolder_ = requestedFolder;
    fs::create_directories(dataFolder_, error);
    if (!fs::is_directory(dataFolder_)) {
      throw BenchFileError(desc_.file, 0, "cannot make the instrument-data folder " + dataFolder_);
    }
  }

  if (generator_) {
    const InstrumentEntry* entry = desc_.Find(InstrumentKind::Generator);
    int pairs = entry->compFile == InstrumentEntry::CompFile::Short ? CompensationPairs(generator_->Model()) - 1 : -1;
    if (entry->compFile != InstrumentEntry::CompFile::Missing) {
      WriteFile(GeneratorFileStem(*generator_) + ".dat", CompensationFileText(*generator_, pairs));
    }
  }

  std::string config;
  if (desc_.scannerFileText) {
    config = *desc_.scannerFileText;
  } else {
    for (const auto& [name, codes] : desc_.relays) config += name + ":" + codes + "\r\n";
  }
  switch (desc_.scannerFile) {
    case BenchDescription::ScannerFile::Written:
      if (!config.empty()) WriteFile("SI5020.cfg", config);
      break;
    case BenchDescription::ScannerFile::Empty:
      WriteFile("SI5020.cfg", "");
      break;
    case BenchDescription::ScannerFile::Missing:
      break;
  }
}

void Bench::WriteFile(const std::string& name, const std::string& content) {
  std::string path = (std::filesystem::path(dataFolder_) / name).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  out.close();
  if (!out) throw BenchFileError(desc_.file, 0, "cannot write " + path);
}

}  // namespace veridane::sim
