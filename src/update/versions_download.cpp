#include "update/versions_download.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <filesystem>
#include <fstream>

namespace veridane {

namespace {

bool SaveBody(const std::string& path, const QByteArray& body) {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(body.constData(), body.size());
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

VersionsDownload::VersionsDownload(QObject* parent) : QObject(parent), network_(new QNetworkAccessManager(this)) {
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, [this] {
    timedOut_ = true;
    if (reply_) reply_->abort();
  });
}

VersionsDownload::~VersionsDownload() {
  if (reply_) {
    reply_->disconnect(this);
    reply_->abort();
  }
}

void VersionsDownload::Start(const std::string& url, const std::string& filePath, std::chrono::milliseconds timeout,
                             qint64 maxBytes) {
  const int timeoutMs = static_cast<int>(timeout.count());
  if (reply_) {
    QNetworkReply* old = reply_;
    reply_ = nullptr;
    old->disconnect(this);
    old->abort();
    old->deleteLater();
  }
  body_.clear();
  filePath_ = filePath;
  maxBytes_ = maxBytes;
  tooLarge_ = false;
  timedOut_ = false;

  QNetworkRequest request(QUrl(QString::fromStdString(url)));
  request.setTransferTimeout(timeoutMs);
  // The answer is compared with what is on the site now, never with a proxy's old copy.
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  reply_ = network_->get(request);
  connect(reply_, &QNetworkReply::readyRead, this, &VersionsDownload::OnReadyRead);
  connect(reply_, &QNetworkReply::finished, this, &VersionsDownload::OnFinished);
  deadline_.start(timeoutMs);
}

void VersionsDownload::OnReadyRead() {
  if (!reply_ || tooLarge_) return;
  body_ += reply_->readAll();
  if (body_.size() > maxBytes_) {
    tooLarge_ = true;
    body_.clear();
    reply_->abort();
  }
}

void VersionsDownload::OnFinished() {
  if (!reply_) return;
  OnReadyRead();
  const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  const bool httpOk = !status.isValid() || (status.toInt() >= 200 && status.toInt() < 300);
  const bool received = reply_->error() == QNetworkReply::NoError && httpOk && !tooLarge_ && !timedOut_;
  reply_->deleteLater();
  reply_ = nullptr;
  deadline_.stop();
  if (!received) {
    Report(DownloadResult::kFailed);
    return;
  }
  Report(SaveBody(filePath_, body_) ? DownloadResult::kSaved : DownloadResult::kNotWritten);
}

void VersionsDownload::Report(DownloadResult result) {
  body_.clear();
  emit finished(result);
}

}  // namespace veridane
