#pragma once
// A bench for the verification procedures: the recording driver (every write stamped with the
// virtual time it went out at), the scripted technician, the virtual clock, the frame tests'
// recording main window, and the real frame, display, scope control and instrument drivers
// handed out in the parts the procedures take, as start-up wires them.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "test/support/recording_gpib.h"
#include "pv/catalogue.h"
#include "test/support/scripted_operator.h"
#include "test/support/frame_fakes.h"
#include "pv/procedures/pv_context.h"
#include "pv/procedures/set_signal.h"

namespace veridane::testing {

inline constexpr int kScopeAddress = 1;
inline constexpr int kCalibratorAddress = 4;
inline constexpr int kScanner1Address = 8;
inline constexpr int kScanner2Address = 9;

struct StampedWrite {
  double time;
  int address;
  std::string text;
};

// The recording driver, with the virtual time of every write and a hook that lets a test act
// when a given text goes out (for instance press Exit Test a little later).
class ClockedGpib : public RecordingGpib {
 public:
  explicit ClockedGpib(EventLoop& clock) : clock_(clock) {}
  void ibwrt(int ud, std::string_view data) override {
    writes.push_back({clock_.Now(), AddressOf(ud), std::string(data)});
    RecordingGpib::ibwrt(ud, data);
    auto it = onWrite.find(std::string(data));
    if (it != onWrite.end()) {
      auto action = std::move(it->second);
      onWrite.erase(it);
      action();
    }
  }
  std::vector<StampedWrite> writes;
  std::map<std::string, std::function<void()>> onWrite;  // runs once, after the write

 private:
  EventLoop& clock_;
};

class PvBench : public ::testing::Test {
 protected:
  PvBench() {
    GiveTitles(frame.Hooks());
    frame.NameTests();
    state.MainTitle = "Veridane";
    frame.Hooks().ScopeReset = [this] { scopeControl.ScopeReset(); };
    frame.Hooks().ScannerReset = [this] { scanners.ScannerReset(); };
    scope.ScopeDevice = Device(kScopeAddress);
    scope.ScopeModel = "TDS 340";
    scope.ScopeModelCode = 4;
    gpib.SetAnswer(kScopeAddress, "*OPC?", "1\n");
  }
  void TearDown() override { technician.ExpectAllConsumed(); }

  int16_t Device(int address) { return bus.ibdev(0, static_cast<int16_t>(address), 0, 12, 1, 0); }
  void AddCalibrator() {
    roles.CalibratorDevice = Device(kCalibratorAddress);
    roles.CalibratorModel = 5100;
    roles.CalibratorName = "Fluke 5100A/B";
  }
  void AddScanners() {
    roles.ScannerDevice1 = Device(kScanner1Address);
    roles.ScannerDevice2 = Device(kScanner2Address);
    roles.ScannerModel = 5020;
    roles.ScannerConfig = "CALIB:A1;CH1:B2;CH2:B3C3;";
  }
  // Answers to "MEASU:MEAS1:VAL?", in order (the only reads without an answer rule).
  void Readings(const std::vector<std::string>& replies) {
    for (const std::string& reply : replies) gpib.AddReply(reply + "\n");
  }
  // Presses Exit Test the given virtual seconds after the text was written.
  void ExitTestAfter(const std::string& text, double seconds) {
    gpib.onWrite[text] = [this, seconds] { clock.ScheduleAfter(seconds, [this] { frame.ExitTest(); }); };
  }

  // The display's lines. The heading's first empty line only shows below earlier text, so a
  // test starting on an empty display sees the heading from its title line on.
  std::vector<std::string> DisplayLines() const {
    std::vector<std::string> lines;
    const std::string& text = display.Text();
    if (text.empty()) return lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
      lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
  }
  std::vector<std::string> WrittenTo(int address) const { return gpib.WrittenTo(address); }
  // Position among all writes of the n-th (0-based) write of text to an address; -1 when none.
  int IndexOf(int address, const std::string& text, int nth = 0) const {
    for (size_t i = 0; i < gpib.writes.size(); ++i) {
      const StampedWrite& w = gpib.writes[i];
      if (w.address == address && w.text == text && nth-- == 0) return static_cast<int>(i);
    }
    return -1;
  }
  // Virtual time of that write; -1 when there is none.
  double TimeOf(int address, const std::string& text, int nth = 0) const {
    int i = IndexOf(address, text, nth);
    return i < 0 ? -1 : gpib.writes[static_cast<size_t>(i)].time;
  }

  VirtualClock clock;
  ClockedGpib gpib{clock};
  ScriptedOperator technician;
  GpibBus bus{gpib, technician, clock};
  RunState state;
  RecordingView view;
  ResultDisplay display{view, state, technician, clock};
  TestFrame frame{state, view, display, technician, clock};
  ScopeIdentity scope;
  ScopeControl scopeControl{bus, technician, scope};
  InstrumentRoles roles;
  Calibrator calibrator{bus, technician, roles, state.AutoMode};
  ScannerDriver scanners{bus, technician, roles};
  SignalGenerator generator{bus, technician, roles, state.AutoMode, ""};
  // The parts the procedures are handed, and all of them as start-up wires them.
  ScopeLink link{bus, scope, scopeControl};
  BenchParts benchParts{roles, calibrator, scanners, generator};
  TestRun testRun{state, frame, display};
  SignalParts signal{link, roles, generator, technician, StopToken(state.AbortFlag)};
  PvContext pv{link, benchParts, testRun, technician, state};
};

// The scope's reset as the frame sends it at the start and the end of every test.
inline const std::vector<std::string> kScopeReset = {"*RST", "*OPC?", "*CLS", "CLEARM"};

inline std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace veridane::testing
