#pragma once
// Which optional bench instrument fills which role, as found on the bus at start-up, and the
// detections that fill them. A handle of 0 means the role is empty and its driver asks the
// technician to make the setting by hand. The roles are the rows of one table (RoleTable):
// detection, the Auto mode's offer and the check of the reference standards all go by it.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "uncertainty/uncertainty_figure.h"

namespace veridane {

class GpibBus;
class InstrumentDetector;

struct InstrumentRoles {
  int16_t AttenuatorDevice = 0;  // AT 5010
  int16_t PulseGenDevice = 0;    // a second AT 5010 answer, kept as "PG 509"; no driver uses it
  std::string AttenuatorName;    // "AT 5010" when found
  std::string PulseGenName;      // "PG 509" when found

  int16_t TimeMarkDevice = 0;  // CG 50x0
  std::string TimeMarkName;    // "CG 5011" ...
  int16_t TimeMarkModel = 0;   // 5011 ...

  int16_t CalibratorDevice = 0;
  int16_t CalibratorModel = 0;              // 5100 or 0
  std::string CalibratorName = "Calibrator";  // prompt caption text, always set

  int16_t SGDevice = 0;
  int16_t SGModel = 0;                   // 2000/3000/6000 SME, 6060..6062 Fluke, 5030 SG 5030
  std::string SGName = "Signal Generator";  // also the stem of its compensation file

  int16_t ScannerDevice1 = 0;  // first SI 5020, or the SI 5010
  int16_t ScannerDevice2 = 0;  // second SI 5020
  int16_t ScannerModel = 0;    // 5020, 5010 or 0
  std::string ScannerName;     // "SI 5020", "SI 5010" or empty
  std::string ScannerConfig;   // NAME:CODES;NAME:CODES;...

  // True when every role the Auto mode needs is filled.
  bool AllRolesFilled() const;
};

// The set of functions a reference standard serves in, one bit a function.
using StandardFunctions = unsigned;
constexpr StandardFunctions Serving(std::initializer_list<StandardFunction> functions) {
  StandardFunctions set = 0;
  for (StandardFunction function : functions) set |= 1u << static_cast<unsigned>(function);
  return set;
}

// One role: how start-up finds its instrument, whether the Auto mode needs it, and what it is
// as a reference standard. A new instrument is a new row (with its fields above and its
// detection).
struct RoleRow {
  void (InstrumentDetector::*detect)();
  int16_t InstrumentRoles::*device;    // the handle that fills the role; 0: empty
  std::string InstrumentRoles::*name;  // the model found, as the standards register is matched with
  bool neededForAuto = false;
  // Its role as a reference standard ("Calibrator"), and the functions it serves in; empty for
  // an instrument that only routes signals.
  std::string_view standardRole;
  StandardFunctions serves = 0;
  int standardsPlace = 0;  // where it is listed among the standards of a run
};

// Every role, in the order start-up detects them: every address is handed out once, so an
// earlier role claims its instrument first.
std::span<const RoleRow> RoleTable();

// Whether the role named as a reference standard serves in the function.
bool RoleServes(std::string_view standardRole, StandardFunction function);

// The scanner configuration file inside the instrument-data folder.
std::filesystem::path ScannerConfigPath(const std::filesystem::path& instrumentDataFolder);

// A scanner file is a few dozen routes; anything larger is not one and is treated as missing.
inline constexpr std::size_t kScannerConfigLimit = 64 * 1024;

// The routes of a scanner file, each ending in ';' and joined; empty when the file has no line.
std::string ScannerConfigFromText(const std::string& bytes);

// Runs the detections against the bus. Start-up calls them once each, in the order declared:
// every address is handed out once, so an earlier detection claims its instrument first.
class InstrumentDetector {
 public:
  InstrumentDetector(GpibBus& bus, InstrumentRoles& roles, std::filesystem::path instrumentDataFolder);

  void DetectAttenuator();
  void DetectTimeMarkGenerator();
  void DetectCalibrator();
  void DetectSignalGenerator();
  void DetectScanner();

  void DetectAll();  // every role of the table, in its order

 private:
  bool ReadScannerConfig();
  GpibBus& bus_;
  InstrumentRoles& roles_;
  std::filesystem::path folder_;
};

}  // namespace veridane
