#include "update/update_check.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/operator.h"
#include "update/update_site.h"

namespace veridane {

std::optional<std::string> ReadVersionsFile(const std::string& path, size_t maxBytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string content(maxBytes, '\0');
  in.read(content.data(), static_cast<std::streamsize>(maxBytes));
  content.resize(static_cast<size_t>(in.gcount()));
  return content;
}

UpdateCheck::UpdateCheck(Operator& op, const Settings& settings, UpdateCheckOptions options, QObject* parent)
    : QObject(parent), op_(op), settings_(settings), options_(std::move(options)) {
  connect(&download_, &VersionsDownload::finished, this, &UpdateCheck::OnDownloaded);
}

void UpdateCheck::Start() {
  if (running_) return;
  site_ = UpdateSite(settings_);
  if (site_.empty()) {
    running_ = true;
    Tell(NoUpdateSiteMessage(options_.versionString));
    running_ = false;
    emit finished();
    return;
  }
  running_ = true;
  std::error_code ignored;
  std::filesystem::create_directories(options_.cacheFolder, ignored);
  download_.Start(VersionsUrl(site_), VersionsFilePath(options_.cacheFolder), options_.timeout, kMaxVersionsBytes);
}

void UpdateCheck::OnDownloaded(DownloadResult result) {
  VersionsFile outcome = VersionsFile::kDownloadFailed;
  std::string content;
  if (result == DownloadResult::kNotWritten) outcome = VersionsFile::kMissing;
  if (result == DownloadResult::kSaved) {
    // Read back from the cache, as it was kept: what is judged is what is on disk.
    std::optional<std::string> read = ReadVersionsFile(VersionsFilePath(options_.cacheFolder), kMaxVersionsBytes);
    outcome = read ? VersionsFile::kRead : VersionsFile::kMissing;
    if (read) content = std::move(*read);
  }
  Tell(UpdateVerdict(outcome, content, options_.applicationTitle, options_.versionString));
  running_ = false;
  emit finished();
}

void UpdateCheck::Tell(const UpdateMessage& message) {
  const BoxAnswer answer = op_.ShowMessBox(message.text, message.style, message.caption);
  if (message.offersHomepage && answer != kNo && options_.openUrl) options_.openUrl(HomepageUrl(site_));
}

}  // namespace veridane
