#include <cmath>
#include <vector>

#include "instruments/instrument_roles.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/file_checks.h"
#include "platform/numbers.h"
#include "platform/text8.h"

namespace veridane {

namespace {

// A model number taken from an instrument's reply; a reply that is not a 16-bit number gives 0
// rather than a wrapped value.
int16_t ModelNumber(double value) {
  if (!std::isfinite(value) || value < -32768.0 || value > 32767.0) return 0;
  return static_cast<int16_t>(std::nearbyint(value));
}

// Lines of a text file as the scanner file was written on the bench PC: CR LF, LF or CR ends a
// line, and a final line end does not start another line.
std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

std::filesystem::path ScannerConfigPath(const std::filesystem::path& instrumentDataFolder) {
  return instrumentDataFolder / "SI5020.cfg";
}

InstrumentDetector::InstrumentDetector(GpibBus& bus, InstrumentRoles& roles,
                                       std::filesystem::path instrumentDataFolder)
    : bus_(bus), roles_(roles), folder_(std::move(instrumentDataFolder)) {}

namespace {

using SF = StandardFunction;

// Listed among the standards: calibrator, generator, time marks, attenuator.
const RoleRow kRoles[] = {
    {&InstrumentDetector::DetectAttenuator, &InstrumentRoles::AttenuatorDevice, &InstrumentRoles::AttenuatorName,
     true, "Attenuator", Serving({SF::Attenuation}), 3},
    {&InstrumentDetector::DetectTimeMarkGenerator, &InstrumentRoles::TimeMarkDevice, &InstrumentRoles::TimeMarkName,
     true, "Time-mark generator", Serving({SF::TimeMarks}), 2},
    {&InstrumentDetector::DetectCalibrator, &InstrumentRoles::CalibratorDevice, &InstrumentRoles::CalibratorName, true,
     "Calibrator", Serving({SF::DcVoltage}), 0},
    {&InstrumentDetector::DetectSignalGenerator, &InstrumentRoles::SGDevice, &InstrumentRoles::SGName, true,
     "Signal generator", Serving({SF::AcAmplitude, SF::Frequency}), 1},
    // Routing needs the pair of SI 5020s: the second one fills the role.
    {&InstrumentDetector::DetectScanner, &InstrumentRoles::ScannerDevice2, &InstrumentRoles::ScannerName, true, "", 0,
     0},
};

}  // namespace

std::span<const RoleRow> RoleTable() { return kRoles; }

bool RoleServes(std::string_view standardRole, StandardFunction function) {
  for (const RoleRow& row : kRoles)
    if (!row.standardRole.empty() && row.standardRole == standardRole)
      return (row.serves & Serving({function})) != 0;
  return false;
}

bool InstrumentRoles::AllRolesFilled() const {
  for (const RoleRow& row : kRoles)
    if (row.neededForAuto && this->*row.device == 0) return false;
  return true;
}

void InstrumentDetector::DetectAll() {
  for (const RoleRow& row : kRoles) (this->*row.detect)();
}

void InstrumentDetector::DetectAttenuator() {
  roles_.PulseGenDevice = 0;
  roles_.AttenuatorDevice = bus_.FindDevice("ID?", "!AT5010");
  if (roles_.AttenuatorDevice == 0) return;
  roles_.AttenuatorName = "AT 5010";
  // A second instrument answering like an AT 5010 is the PG 509 of older benches.
  roles_.PulseGenDevice = bus_.FindDevice("ID?", "!AT5010");
  if (roles_.PulseGenDevice != 0) roles_.PulseGenName = "PG 509";
}

void InstrumentDetector::DetectTimeMarkGenerator() {
  roles_.TimeMarkDevice = bus_.FindDevice("ID?", "!?CG50");
  if (roles_.TimeMarkDevice == 0) return;
  std::string reply = bus_.GpibQuery(roles_.TimeMarkDevice, "ID?");
  auto p = reply.find("50");
  if (p == std::string::npos) {
    // The generator answered the search but not this query (e.g. a read timeout).
    roles_.TimeMarkName = "CG 50x0";
    roles_.TimeMarkModel = 0;
    return;
  }
  roles_.TimeMarkName = "CG " + reply.substr(p, 4);
  roles_.TimeMarkModel = ModelNumber(NumericValue(roles_.TimeMarkName.substr(3)));
}

void InstrumentDetector::DetectCalibrator() {
  roles_.CalibratorDevice = bus_.FindDevice("ID?", "!0.!");
  if (roles_.CalibratorDevice != 0) {
    roles_.CalibratorName = "Fluke 5100A/B";
    roles_.CalibratorModel = 5100;
  } else {
    roles_.CalibratorName = "Calibrator";
    roles_.CalibratorModel = 0;
  }
}

void InstrumentDetector::DetectSignalGenerator() {
  roles_.SGDevice = bus_.FindDevice("*IDN?", "!SME");
  if (roles_.SGDevice != 0) {
    std::string reply = bus_.GpibQuery(roles_.SGDevice, "*IDN?");
    auto p = UpperCase(reply).find("SME");
    std::string digits = p == std::string::npos ? std::string() : reply.substr(p + 3, 2);
    roles_.SGModel = ModelNumber(NumericValue(digits) * 1000);
    roles_.SGName = "R&S SME" + digits;
    return;
  }
  roles_.SGDevice = bus_.FindDevice("ID?", "!606");
  if (roles_.SGDevice != 0) {
    // The Fluke answers its model (e.g. 6061B) to this doubled query mark.
    std::string reply = bus_.GpibQuery(roles_.SGDevice, "ID??");
    roles_.SGModel = ModelNumber(NumericValue(reply));
    roles_.SGName = "Fluke " + reply;
    return;
  }
  roles_.SGDevice = bus_.FindDevice("ID?", "!SG5030");
  if (roles_.SGDevice != 0) {
    roles_.SGName = "SG 5030";
    roles_.SGModel = 5030;
    return;
  }
  roles_.SGModel = 0;
  roles_.SGName = "Signal Generator";
}

void InstrumentDetector::DetectScanner() {
  roles_.ScannerConfig.clear();
  roles_.ScannerDevice2 = 0;
  roles_.ScannerDevice1 = bus_.FindDevice("ID?", "!SI5020");
  if (roles_.ScannerDevice1 != 0) roles_.ScannerDevice2 = bus_.FindDevice("ID?", "!SI5020");

  if (roles_.ScannerDevice2 != 0) {
    roles_.ScannerModel = 5020;
    roles_.ScannerName = "SI 5020";
    if (!ReadScannerConfig()) {
      // Without the wiring description the pair cannot route anything: no scanner at all,
      // and the Auto-mode offer does not appear.
      roles_.ScannerConfig.clear();
      roles_.ScannerDevice1 = 0;
      roles_.ScannerDevice2 = 0;
      roles_.ScannerModel = 0;
      roles_.ScannerName.clear();
    }
    return;
  }

  // A single SI 5020 has no partner to route with; its address stays claimed.
  roles_.ScannerDevice1 = bus_.FindDevice("ID?", "!SI5010");
  if (roles_.ScannerDevice1 != 0) {
    roles_.ScannerModel = 5010;
    roles_.ScannerName = "SI 5010";
  } else {
    roles_.ScannerModel = 0;
    roles_.ScannerName.clear();
  }
}

std::string ScannerConfigFromText(const std::string& bytes) {
  std::string config;
  for (auto& line : SplitLines(bytes)) {
    // Blanks around a line are typing slips, not part of a name or a relay code.
    std::string text = Trim(line);
    if (text.empty() || text.back() != ';') text += ';';
    config += text;
  }
  return config;  // an empty file is as good as a missing one
}

bool InstrumentDetector::ReadScannerConfig() {
  // A folder, FIFO or device in the file's place counts as no file: the run goes on without
  // the scanner instead of waiting on a read that never ends.
  const FileRead read = ReadRegularFile(ScannerConfigPath(folder_), kScannerConfigLimit);
  if (!read.Ok()) return false;
  std::string config = ScannerConfigFromText(read.bytes);
  if (config.empty()) return false;
  roles_.ScannerConfig = std::move(config);
  return true;
}

}  // namespace veridane
