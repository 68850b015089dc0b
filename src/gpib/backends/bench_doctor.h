#pragma once
// `veridane --doctor`: what stands between this machine and a working bench, one finding a
// line, each OK, WARN or FAIL with what to do about it: the board library and its version,
// /etc/gpib.conf and the /dev/gpib* files, the user's groups, the udev rule, the serial
// adapters answering "++ver" and the listeners found behind each board or adapter, the VISA
// library. A bench can be opened when some board or adapter shows listeners.
#include <functional>
#include <string>
#include <vector>

#include "gpib/backends/adapter_survey.h"
#include "gpib/backends/board_library.h"
#include "gpib/backends/visa_library.h"

namespace veridane {

// The udev rule the program ships (packaging/), by its file name.
inline constexpr const char* kUdevRuleName = "60-veridane-gpib.rules";

struct DoctorOptions {
  std::string gpibLibrary;  // settings GpibLibrary and VisaLibrary
  std::string visaLibrary;
  BoardLibraryOptions board;
  VisaLibraryOptions visa;
  SurveyOptions survey;  // serial ports (its deviceFolder is the /dev to look in)
  std::string etcFolder = "/etc";
  std::vector<std::string> udevFolders{"/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
  // Where `cmake --install` under /usr/local puts the rule, which udev does not read.
  std::vector<std::string> unreadUdevFolders{"/usr/local/lib/udev/rules.d"};
  // Whether the user is in the group (empty: the process's own groups).
  std::function<bool(const std::string& group)> inGroup;
};

struct DoctorFinding {
  enum class Level { kOk, kWarn, kFail };
  Level level;
  std::string text;
};

struct DoctorReport {
  std::vector<DoctorFinding> findings;
  bool benchUsable = false;
};

DoctorReport ExamineBenchHardware(const DoctorOptions& options);
// "OK   ...", "WARN ...", "FAIL ..." lines and a closing verdict.
std::string DoctorText(const DoctorReport& report);

}  // namespace veridane
