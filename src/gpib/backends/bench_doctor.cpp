#include "gpib/backends/bench_doctor.h"

#include <dlfcn.h>
#include <grp.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "gpib/backends/device_access.h"
#include "gpib/backends/real_backends.h"

namespace veridane {

namespace {

namespace fs = std::filesystem;
using Level = DoctorFinding::Level;

bool ProcessInGroup(const std::string& name) {
  const group* entry = ::getgrnam(name.c_str());
  if (entry == nullptr) return false;
  if (::getegid() == entry->gr_gid) return true;
  std::vector<gid_t> groups(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)));
  const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
  return std::find(groups.begin(), groups.begin() + std::max(count, 0), entry->gr_gid) != groups.begin() + std::max(count, 0);
}

// The file a library name resolves to, which carries its version ("libgpib.so.0.3.0").
std::string LoadedFile(const std::string& name) {
  void* handle = ::dlopen(name.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (handle == nullptr) return {};
  std::string file;
  link_map* map = nullptr;
  if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr) {
    std::error_code error;
    const fs::path real = fs::canonical(map->l_name, error);
    file = error ? std::string(map->l_name) : real.string();
  }
  ::dlclose(handle);
  return file;
}

std::string Listeners(Gpib488& driver) {
  std::vector<int16_t> addresses;
  for (int16_t pad = 0; pad <= 30; ++pad) addresses.push_back(pad);
  addresses.push_back(kNoAddr);
  std::vector<int16_t> found(31, 0);
  driver.FindLstn(0, addresses, found, 31);
  std::string list;
  for (int16_t pad : found)
    if (pad > 0) list += (list.empty() ? "" : ", ") + std::to_string(pad);
  return list;
}

class Examination {
 public:
  explicit Examination(const DoctorOptions& options) : options_(options) {}

  DoctorReport Run() {
    BoardLibraryCheck();
    ConfigAndDevices();
    Groups();
    UdevRule();
    Adapters();
    Visa();
    return report_;
  }

 private:
  void Add(Level level, std::string text) { report_.findings.push_back({level, std::move(text)}); }
  bool InGroup(const std::string& group) const {
    return options_.inGroup ? options_.inGroup(group) : ProcessInGroup(group);
  }

  void BoardLibraryCheck() {
    std::vector<std::string> names =
        options_.gpibLibrary.empty() ? options_.board.candidates : std::vector<std::string>{options_.gpibLibrary};
    for (const std::string& name : names) {
      const std::string file = LoadedFile(name);
      if (file.empty()) continue;
      libraryFound_ = true;
      Add(Level::kOk, "GPIB board library " + name + " found: " + file);
      break;
    }
    if (!libraryFound_) {
      Add(Level::kWarn, "No GPIB board library (" + (options_.gpibLibrary.empty() ? "linux-gpib or NI-488.2" : options_.gpibLibrary) +
                            "): install linux-gpib or NI-488.2 for a GPIB board, or name the library in the setting "
                            "GpibLibrary. Not needed for a Prologix/AR488 adapter.");
      return;
    }
    std::string error;
    BoardLibraryOptions board = options_.board;
    if (!options_.gpibLibrary.empty()) board.candidates = {options_.gpibLibrary};
    std::unique_ptr<BoardLibrary> library = BoardLibrary::Load(0, options_.gpibLibrary, board, error);
    if (!library) {
      Add(Level::kFail, "GPIB board 0 cannot be used: " + error);
      return;
    }
    const std::string listeners = Listeners(*library);
    if (listeners.empty()) {
      Add(Level::kWarn, "GPIB board 0 (gpib:0) finds no listeners: check the cables and that the instruments are on.");
    } else {
      Add(Level::kOk, "GPIB board 0 (gpib:0): listeners at " + listeners);
      report_.benchUsable = true;
    }
  }

  void ConfigAndDevices() {
    if (!libraryFound_) return;  // only linux-gpib needs these
    const std::string conf = options_.etcFolder + "/gpib.conf";
    if (::access(conf.c_str(), R_OK) == 0) {
      Add(Level::kOk, conf + " present");
    } else {
      Add(Level::kWarn, "No readable " + conf + ": linux-gpib needs it to configure the board (see gpib.conf(5)).");
    }
    std::vector<std::string> devices;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(options_.board.deviceFolder, error)) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with("gpib") && name.size() > 4 && std::isdigit(static_cast<unsigned char>(name[4])))
        devices.push_back(entry.path().string());
    }
    std::sort(devices.begin(), devices.end());
    if (devices.empty()) {
      Add(Level::kWarn, "No " + options_.board.deviceFolder +
                            "/gpib* device files: load the linux-gpib kernel module for the board and run gpib_config.");
      return;
    }
    for (const std::string& device : devices) {
      if (::access(device.c_str(), R_OK | W_OK) == 0) {
        Add(Level::kOk, device + " accessible");
      } else {
        Add(Level::kFail, PermissionMessage("GPIB board", device, GroupOwning(device), "gpib"));
      }
    }
  }

  void Groups() {
    if (!options_.inGroup && ::geteuid() == 0) {
      Add(Level::kOk, "running as root: every device file is open to it (a bench is better run as a user in the "
                      "groups gpib and dialout)");
      return;
    }
    for (const char* group : {"gpib", "dialout"}) {
      if (::getgrnam(group) == nullptr && !options_.inGroup) continue;  // no such group here: nothing to join
      if (InGroup(group)) {
        Add(Level::kOk, std::string("user in the group ") + group);
      } else {
        Add(Level::kWarn, std::string("user not in the group ") + group + ": sudo usermod -aG " + group +
                              " $USER, then log in again (" +
                              (std::string(group) == "gpib" ? "GPIB boards" : "serial adapters") + ").");
      }
    }
  }

  void UdevRule() {
    for (const std::string& folder : options_.udevFolders) {
      const fs::path rule = fs::path(folder) / kUdevRuleName;
      std::error_code error;
      if (fs::exists(rule, error)) {
        Add(Level::kOk, "udev rule " + rule.string() + " installed");
        return;
      }
    }
    std::string source = std::string("packaging/") + kUdevRuleName;
    for (const std::string& folder : options_.unreadUdevFolders) {
      std::error_code error;
      if (fs::exists(fs::path(folder) / kUdevRuleName, error)) source = (fs::path(folder) / kUdevRuleName).string();
    }
    Add(Level::kWarn, std::string("udev rule ") + kUdevRuleName + " not installed where udev reads it: copy " + source +
                          " to /etc/udev/rules.d and run: sudo udevadm control --reload && sudo udevadm trigger");
  }

  void Adapters() {
    SurveyOptions survey = options_.survey;
    survey.libraryPath = "/nonexistent";  // boards were looked at above
    bool any = false;
    for (const AdapterListing& listing : SurveyAdapters(survey)) {
      if (listing.connection.starts_with("gpib:")) continue;
      any = true;
      if (!listing.usable) {
        Add(Level::kFail, listing.connection + ": " + listing.description);
        continue;
      }
      std::string error;
      std::unique_ptr<Gpib488> adapter = OpenPrologix(listing.connection, error);
      const std::string listeners = error.empty() && adapter ? Listeners(*adapter) : "";
      if (!error.empty()) {
        Add(Level::kFail, listing.connection + " answers \"++ver\" (" + listing.description + ") but: " + error);
      } else if (listeners.empty()) {
        Add(Level::kWarn, listing.connection + " (" + listing.description +
                              ") finds no listeners: check the cable and that the instruments are on.");
      } else {
        Add(Level::kOk, listing.connection + " (" + listing.description + "): listeners at " + listeners);
        report_.benchUsable = true;
      }
    }
    if (!any) {
      Add(Level::kWarn, "No serial GPIB adapter answers \"++ver\" (looked at " + options_.survey.deviceFolder +
                            "/ttyUSB*, ttyACM*). A network adapter is not looked for: open it with --bench "
                            "prologix-tcp:HOST.");
    }
  }

  void Visa() {
    std::string error;
    std::unique_ptr<VisaLibrary> visa = VisaLibrary::Load(0, options_.visaLibrary, options_.visa, error);
    if (!visa) {
      Add(Level::kWarn, error + " Only needed for visa: benches.");
      return;
    }
    const std::string listeners = Listeners(*visa);
    const std::string what = "VISA library " + visa->Path() + (visa->Description().empty() ? "" : " (" + visa->Description() + ")");
    if (listeners.empty()) {
      Add(Level::kWarn, what + ": GPIB0 finds no listeners.");
    } else {
      Add(Level::kOk, what + ": visa:GPIB0 listeners at " + listeners);
      report_.benchUsable = true;
    }
  }

  const DoctorOptions& options_;
  DoctorReport report_;
  bool libraryFound_ = false;
};

}  // namespace

DoctorReport ExamineBenchHardware(const DoctorOptions& options) { return Examination(options).Run(); }

std::string DoctorText(const DoctorReport& report) {
  std::string text;
  for (const DoctorFinding& finding : report.findings) {
    const char* tag = finding.level == Level::kOk ? "OK   " : finding.level == Level::kWarn ? "WARN " : "FAIL ";
    text += tag + finding.text + "\n";
  }
  text += report.benchUsable ? "A bench can be opened.\n"
                             : "No GPIB board or adapter with instruments was found: no bench can be opened yet.\n";
  return text;
}

}  // namespace veridane
