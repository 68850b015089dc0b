#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

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
std::string Paths::ParlexFolder() const { return DataFolder() + "/Parlex"; }
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

namespace {

std::filesystem::path FreeName(const std::filesystem::path& wanted) {
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(wanted, error))) return wanted;
  for (int n = 1;; ++n) {
    const std::string mark = n == 1 ? " (moved)" : " (moved " + std::to_string(n) + ")";
    std::filesystem::path candidate = wanted.parent_path() / (wanted.stem().string() + mark + wanted.extension().string());
    if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error))) return candidate;
  }
}

// A rename, or where the two folders lie on different file systems, a copy and a removal.
bool MoveEntry(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& error) {
  std::filesystem::rename(from, to, error);
  if (!error) return true;
  error.clear();
  std::filesystem::copy(from, to, std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks,
                        error);
  if (error) return false;
  std::filesystem::remove_all(from, error);
  return !error;
}

}  // namespace

bool MoveFolderContents(const std::string& from, const std::string& to, std::string& error) {
  std::error_code code;
  if (!std::filesystem::is_directory(from, code)) return true;
  std::filesystem::create_directories(to, code);
  if (!std::filesystem::is_directory(to, code)) {
    error = "the folder " + to + " cannot be made";
    return false;
  }
  bool complete = true;
  std::vector<std::filesystem::path> entries;
  for (const auto& entry : std::filesystem::directory_iterator(from, code)) entries.push_back(entry.path());
  for (const std::filesystem::path& entry : entries) {
    if (!MoveEntry(entry, FreeName(std::filesystem::path(to) / entry.filename()), code)) {
      error = entry.string() + ": " + code.message();
      complete = false;
    }
  }
  if (complete) std::filesystem::remove(from, code);
  return complete;
}

}  // namespace veridane
