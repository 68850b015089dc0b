#pragma once
// A whole simulated bench built from a bench file: the bus with the scope and the instruments
// at their addresses, the wiring between them, the hand-set instruments, and the folder with
// the bench's instrument data (the generator's compensation file "<name>.dat" and the scanner
// configuration "SI5020.cfg"). That folder belongs to the bench, never to a real bench PC, so
// simulated and real instrument data cannot mix; by default it is a fresh temporary folder
// removed with the bench.
//
// Every role the file leaves out (generator, calibrator, time marks) is still on the bench as
// a hand-set instrument, so the technician can always answer a prompt.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "platform/gpib488.h"
#include "sim/bench/bench_file.h"
#include "sim/bench/bench_folder.h"
#include "sim/bench/wiring.h"
#include "sim/bus/sim_bus.h"
#include "sim/instruments/attenuator.h"
#include "sim/instruments/calibrator.h"
#include "sim/instruments/levelled_generator.h"
#include "sim/instruments/manual_sources.h"
#include "sim/instruments/scanner.h"
#include "sim/instruments/time_mark_generator.h"
#include "sim/scope/sim_scope.h"

namespace veridane::sim {

struct BenchOptions {
  // Where to write the instrument data; empty: a new temporary folder, removed with the bench.
  std::string dataFolder;
};

class Bench {
 public:
  // Throws BenchFileError when the folder for the instrument data cannot be made or written.
  Bench(const BenchDescription& desc, EventLoop& loop, BenchOptions options = {});
  ~Bench();
  Bench(const Bench&) = delete;
  Bench& operator=(const Bench&) = delete;

  // These throw BenchFileError for a bad or unknown bench.
  static std::unique_ptr<Bench> FromFile(const std::string& path, EventLoop& loop, BenchOptions options = {});
  static std::unique_ptr<Bench> FromText(std::string_view text, const std::string& name, EventLoop& loop,
                                         BenchOptions options = {});
  static std::unique_ptr<Bench> Shipped(std::string_view name, EventLoop& loop, BenchOptions options = {});
  // A path when it names a file (has a "/" or ends in ".toml"), otherwise a shipped name.
  static std::unique_ptr<Bench> Open(std::string_view nameOrPath, EventLoop& loop, BenchOptions options = {});

  // --- for the program ---
  Gpib488& Bus() { return bus_; }
  const std::string& InstrumentDataFolder() const { return dataFolder_; }
  const BenchDescription& Description() const { return desc_; }

  // --- trace of the bus traffic ---
  void SetTrace(SimBus::TraceSink sink) { bus_.SetTrace(std::move(sink)); }
  bool TraceToFile(const std::string& path);  // false when the file cannot be written
  void StopTrace() { bus_.SetTrace({}); }

  // --- for the virtual technician ---
  // Plug a cable from a source ("SG", "CALIB", "CGTR", "ATT") into an input, through hand
  // attenuators of the given ratio; false (nothing changed) for an unknown source or ratio.
  bool ConnectCable(std::string_view source, ScopeInput input, double ratio = 1);
  void DisconnectCable(ScopeInput input) { wiring_.DisconnectCable(input); }
  void DisconnectAllCables() { wiring_.DisconnectAllCables(); }
  void SetTermination(ScopeInput input, bool terminated) { wiring_.SetTermination(input, terminated); }
  // Setting the bench's generator, calibrator or time marks by hand: the front panel of the
  // instrument on the bus (whether or not the program found it), or the hand-set instrument
  // standing in for it. A generator is left with its output on. False (nothing changed) when
  // the instrument cannot take the setting.
  bool SetManualGenerator(double frequencyHz, double vpp);
  bool SetManualGeneratorFrequency(double frequencyHz);
  bool SetManualGeneratorAmplitude(double vpp);
  bool SetManualCalibrator(double volts);
  bool SetManualTimeMarks(double periodSeconds);
  bool GeneratorOnBus() const { return generator_ != nullptr; }
  bool CalibratorOnBus() const { return calibrator_ != nullptr; }
  bool TimeMarksOnBus() const { return timeMarks_ != nullptr; }

  // --- looking inside ---
  SimBus& SimulatedBus() { return bus_; }
  SimScope& Scope() { return *scope_; }
  Wiring& Wires() { return wiring_; }
  Signal SignalAt(ScopeInput input) const { return wiring_.SignalAt(input); }
  LevelledGenerator* Generator() { return generator_.get(); }
  At5010* Attenuator() { return attenuators_.empty() ? nullptr : attenuators_.front().get(); }
  Fluke5100* Calibrator() { return calibrator_.get(); }
  Cg5011* TimeMarkGenerator() { return timeMarks_.get(); }
  Scanner* ScannerNumber(int index);  // 0 and 1 are wired; nullptr when absent
  const ManualGenerator& HandGenerator() const { return manualGenerator_; }
  const ManualCalibrator& HandCalibrator() const { return manualCalibrator_; }
  const ManualTimeMarks& HandTimeMarks() const { return manualTimeMarks_; }

 private:
  void BuildInstruments(EventLoop& loop);
  void BuildWiring();
  void WriteInstrumentData(const std::string& requestedFolder);
  void WriteFile(const std::string& name, const std::string& content);

  BenchDescription desc_;
  SimBus bus_;
  std::unique_ptr<SimScope> scope_;
  std::unique_ptr<LevelledGenerator> generator_;
  std::vector<std::unique_ptr<At5010>> attenuators_;
  std::unique_ptr<Fluke5100> calibrator_;
  std::unique_ptr<Cg5011> timeMarks_;
  std::vector<std::unique_ptr<Scanner>> scanners_;
  ManualGenerator manualGenerator_;
  ManualCalibrator manualCalibrator_;
  ManualTimeMarks manualTimeMarks_;
  Wiring wiring_;
  std::string dataFolder_;
  std::unique_ptr<BenchFolder> ownFolder_;  // when the bench made its folder itself
};

// What the simulated scope is wired to: the signals the bench computes.
InputSignals InputSignalsOf(const Wiring& wiring);

}  // namespace veridane::sim
