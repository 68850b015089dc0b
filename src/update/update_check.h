#pragma once
// The About box's "Check for Update": fetch the versions file from the site in the settings,
// keep it in the cache folder, and tell the technician what it says, offering the homepage.
// The check runs in the event loop; the window stays live and learns the end from finished().
#include <QObject>
#include <chrono>
#include <functional>
#include <string>

#include "update/update_rules.h"
#include "update/versions_download.h"

namespace veridane {

class Operator;
class Settings;

struct UpdateCheckOptions {
  std::string applicationTitle;
  std::string versionString;
  std::string cacheFolder;  // where the versions file is kept
  std::chrono::milliseconds timeout{20000};
  // Opens a web page with the desktop's browser; a failure there is of no concern to the check.
  std::function<void(const std::string& url)> openUrl;
};

class UpdateCheck : public QObject {
  Q_OBJECT

 public:
  UpdateCheck(Operator& op, const Settings& settings, UpdateCheckOptions options, QObject* parent = nullptr);

  // Starts a check; ignored while one runs. finished() follows once the technician has
  // answered the check's message (at once, inside Start, when no site is set).
  void Start();
  bool Running() const { return running_; }

  // The versions file's size limit: a few lines are expected.
  static constexpr qint64 kMaxVersionsBytes = 64 * 1024;

 signals:
  void finished();

 private:
  void OnDownloaded(DownloadResult result);
  void Tell(const UpdateMessage& message);

  Operator& op_;
  const Settings& settings_;
  UpdateCheckOptions options_;
  VersionsDownload download_;
  std::string site_;
  bool running_ = false;
};

// The versions file as kept in the cache, at most maxBytes of it; nothing when it is not there.
std::optional<std::string> ReadVersionsFile(const std::string& path, size_t maxBytes);

}  // namespace veridane
