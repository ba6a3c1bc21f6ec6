#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>
#include <QTimer>

namespace tarnwick::testing {

// A tiny HTTP/1.0 server on 127.0.0.1 for the ticker download. It answers GET with the page
// set for the path (404 otherwise), serves a bounded number of requests and closes by itself
// after a while, so a test that goes wrong cannot leave it listening.
class LoopbackHttpServer : public QObject {
 public:
  struct Page {
    int status = 200;
    QByteArray body;
  };

  explicit LoopbackHttpServer(int maxRequests = 16, int lifetimeMs = 30000);

  bool Listen();
  // "127.0.0.1:port", as the ticker takes its host.
  QByteArray Host() const;

  void SetPage(const QByteArray& path, Page page) { pages_[path] = page; }
  // Requests to this path are read and never answered.
  void SetSilent(const QByteArray& path) { silent_ = path; }
  // Requests are answered this long after they came in.
  void SetDelay(int ms) { delayMs_ = ms; }

  // The paths asked for, in order.
  QList<QByteArray> requests;

 private:
  void Accept();
  void Answer(QTcpSocket* socket);

  QTcpServer server_;
  QTimer lifetime_;
  QHash<QByteArray, Page> pages_;
  QByteArray silent_;
  int delayMs_ = 0;
  int maxRequests_;
};

}  // namespace tarnwick::testing
