#pragma once
// Which optional bench instrument fills which role, as found on the bus at start-up, and the
// five detections that fill them. A handle of 0 means the role is empty and its driver asks
// the technician to make the setting by hand.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace veridane {

class GpibBus;

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
  bool AllRolesFilled() const {
    return AttenuatorDevice != 0 && TimeMarkDevice != 0 && CalibratorDevice != 0 && SGDevice != 0 &&
           ScannerDevice2 != 0;
  }
};

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

  void DetectAll();  // the five, in start-up order

 private:
  bool ReadScannerConfig();
  GpibBus& bus_;
  InstrumentRoles& roles_;
  std::filesystem::path folder_;
};

}  // namespace veridane
