#pragma once
// Fetches the versions file into a local file without blocking the window: Qt's network
// access runs in the event loop and reports once, with a time limit for the whole transfer
// (a server that accepts and never answers, or trickles, must not keep the check alive) and a
// size limit (a versions file is a few lines; anything large is not one).
#include <chrono>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QNetworkReply>
#include <string>

class QNetworkAccessManager;

namespace veridane {

enum class DownloadResult {
  kSaved,          // the body is in the file
  kFailed,         // no answer, an error status, too large, or timed out
  kNotWritten,     // the body arrived but the file could not be written
};

class VersionsDownload : public QObject {
  Q_OBJECT

 public:
  explicit VersionsDownload(QObject* parent = nullptr);
  ~VersionsDownload() override;

  // Starts fetching url into filePath (replacing it); finished() follows exactly once, never
  // from inside Start. A download already running is abandoned without a report.
  void Start(const std::string& url, const std::string& filePath, std::chrono::milliseconds timeout, qint64 maxBytes);
  bool Running() const { return reply_ != nullptr; }

 signals:
  void finished(veridane::DownloadResult result);

 private:
  void OnReadyRead();
  void OnFinished();
  void Report(DownloadResult result);

  QNetworkAccessManager* network_;
  QPointer<QNetworkReply> reply_;
  QTimer deadline_;
  QByteArray body_;
  std::string filePath_;
  qint64 maxBytes_ = 0;
  bool tooLarge_ = false;
  bool timedOut_ = false;
};

}  // namespace veridane
