#pragma once
// A tiny web server on the loopback address for the update check's tests: it answers every
// request with the status and body it was given, or, when told to stay silent, takes the
// request and never answers.
#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <string>
#include <vector>

namespace veridane::testing {

class LocalHttpServer : public QTcpServer {
 public:
  LocalHttpServer() {
    listen(QHostAddress::LocalHost, 0);
    connect(this, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { OnRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }

  void Answer(int status, QByteArray body) {
    status_ = status;
    body_ = std::move(body);
    silent_ = false;
  }
  void StaySilent() { silent_ = true; }

  std::string Site() const { return "http://127.0.0.1:" + std::to_string(serverPort()); }
  const std::vector<std::string>& Paths() const { return paths_; }

 private:
  void OnRequest(QTcpSocket* socket) {
    QByteArray& request = pending_[socket];
    request += socket->readAll();
    if (!request.contains("\r\n\r\n")) return;
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    paths_.push_back(words.size() > 1 ? words[1].toStdString() : std::string());
    pending_.remove(socket);
    if (silent_) return;
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(status_) + (status_ == 200 ? " OK" : " Not Found") +
                       "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body_.size()) +
                       "\r\nConnection: close\r\n\r\n" + body_;
    socket->write(reply);
    socket->disconnectFromHost();
  }

  int status_ = 200;
  QByteArray body_;
  bool silent_ = false;
  std::vector<std::string> paths_;
  QHash<QTcpSocket*, QByteArray> pending_;
};

}  // namespace veridane::testing
