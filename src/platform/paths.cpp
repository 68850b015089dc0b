#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace veridane {

Paths::Paths(std::string root, bool simulated)
    : root_(root.empty() ? RootFromEnvironment() : std::move(root)), simulated_(simulated) {}

std::string Paths::RootFromEnvironment() {
  if (const char* appData = std::getenv("APPDATA"); appData && *appData) return appData;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return xdg;
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share";
  return ".";
}

std::string Paths::Under(const char* name) const {
  std::string folder = root_ + "/" + name;
  if (simulated_) folder += "/Simulated";
  return folder;
}

std::string Paths::DataFolder() const { return Under("Veridane"); }
std::string Paths::ParlexFolder() const { return Under("Parlex"); }
std::string Paths::FaultbookFolder() const { return Under("Faultbook"); }

bool FolderExists(const std::string& folder) {
  std::error_code error;
  return std::filesystem::is_directory(folder, error);
}

bool MakeFolder(const std::string& folder) {
  if (FolderExists(folder)) return true;
  std::error_code error;
  std::filesystem::create_directory(folder, error);
  return FolderExists(folder);
}

}  // namespace veridane
