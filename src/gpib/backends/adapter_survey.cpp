#include "gpib/backends/adapter_survey.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

#include "gpib/backends/byte_transport.h"
#include "gpib/backends/serial_transport.h"

namespace veridane {

namespace {

namespace fs = std::filesystem;

constexpr int kBoards = 16;

// Ports by name, each once (a link and its target are one port), in a stable order.
std::vector<std::string> SerialCandidates(const SurveyOptions& options, const std::string& announce) {
  std::vector<std::string> ports;
  std::set<std::string> seen;
  auto add = [&](const fs::path& path) {
    std::error_code error;
    const fs::path real = fs::canonical(path, error);
    if (error || !seen.insert(real.string()).second) return;
    ports.push_back(path.string());
  };
  std::error_code error;
  std::vector<fs::path> devices;
  for (const auto& entry : fs::directory_iterator(options.deviceFolder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("ttyUSB") || name.starts_with("ttyACM")) devices.push_back(entry.path());
  }
  std::sort(devices.begin(), devices.end());
  for (const fs::path& device : devices) add(device);
  std::vector<fs::path> announced;
  for (const auto& entry : fs::directory_iterator(announce, error)) announced.push_back(entry.path());
  std::sort(announced.begin(), announced.end());
  for (const fs::path& link : announced) {
    // A link left by a server that has gone points nowhere.
    if (fs::exists(link, error)) add(fs::canonical(link, error));
  }
  return ports;
}

// The adapter's answer to "++ver", asked twice (an Arduino restarts when its port opens and
// misses the first); empty when it says nothing.
std::string AskVersion(ByteTransport& link, double seconds) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    link.Discard();
    if (!link.Write("++ver\n")) return {};
    std::string got;
    const double deadline = link.Now() + seconds;
    while (link.Now() < deadline) {
      if (!link.Read(got, deadline - link.Now())) return {};
      const size_t end = got.find_first_of("\r\n");
      if (end != std::string::npos && end > 0) return got.substr(0, end);
      if (end == 0) got.erase(0, 1);
    }
  }
  return {};
}

void SurveyBoards(const SurveyOptions& options, std::vector<AdapterListing>& listings) {
  BoardLibraryOptions library = options.library;
  library.deviceFolder = options.deviceFolder;
  std::string firstError;
  bool listed = false;
  for (int board = 0; board < kBoards; ++board) {
    const std::string device = options.deviceFolder + "/gpib" + std::to_string(board);
    std::string error;
    std::unique_ptr<BoardLibrary> loaded = BoardLibrary::Load(board, options.libraryPath, library, error);
    const std::string connection = "gpib:" + std::to_string(board);
    if (loaded) {
      listings.push_back({connection, "GPIB board " + std::to_string(board) + " through " + loaded->Path(), true});
      listed = true;
      // NI's library has no device files to tell its boards apart: its board 0 stands for all.
      if (loaded->IsNi()) return;
    } else if (board == 0) {
      firstError = error;
    } else if (::access(device.c_str(), F_OK) == 0) {
      listings.push_back({connection, error, false});
      listed = true;
    }
  }
  if (!listed) listings.push_back({"gpib:0", firstError, false});
}

}  // namespace

std::string AnnounceFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0') return std::string(runtime) + "/veridane-adapters";
  return "/tmp/veridane-adapters-" + std::to_string(::getuid());
}

std::vector<AdapterListing> SurveyAdapters(const SurveyOptions& options) {
  std::vector<AdapterListing> listings;
  SurveyBoards(options, listings);
  const std::string announce = options.announceFolder.empty() ? AnnounceFolder() : options.announceFolder;
  for (const std::string& port : SerialCandidates(options, announce)) {
    std::string error;
    std::unique_ptr<ByteTransport> link = OpenSerialTransport(port, error);
    if (!link) {
      listings.push_back({"prologix:" + port, error, false});
      continue;
    }
    const std::string version = AskVersion(*link, options.probeSeconds);
    if (version.empty()) continue;  // some other serial device: not ours to list
    // An AR488 names itself; anything else speaks the Prologix dialect.
    std::string lower = version;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string scheme = lower.find("ar488") != std::string::npos ? "ar488:" : "prologix:";
    listings.push_back({scheme + port, version, true});
  }
  return listings;
}

std::string AdapterListText(const std::vector<AdapterListing>& listings) {
  std::string text;
  bool usable = false;
  for (const AdapterListing& listing : listings) {
    text += listing.connection + "\t" + (listing.usable ? "" : "not usable: ") + listing.description + "\n";
    usable = usable || listing.usable;
  }
  if (!usable) {
    text += "No GPIB board or adapter was found. A network adapter is opened by its address: "
            "--bench prologix-tcp:HOST[:PORT].\n";
  }
  return text;
}

}  // namespace veridane
