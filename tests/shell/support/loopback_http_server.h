#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace tarnwick::testing {

// A tiny HTTP/1.0 server on 127.0.0.1 for the ticker download. It answers GET with the page
// set for the path, 404 otherwise.
class LoopbackHttpServer : public QObject {
 public:
  struct Page {
    int status = 200;
    QByteArray body;
  };

  LoopbackHttpServer() {
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Answer(socket); });
      }
    });
  }

  bool Listen() { return server_.listen(QHostAddress::LocalHost, 0); }
  // "127.0.0.1:port", as the ticker takes its host.
  QByteArray Host() const { return "127.0.0.1:" + QByteArray::number(server_.serverPort()); }

  void SetPage(const QByteArray& path, Page page) { pages_[path] = page; }
  // Requests to this path are read and never answered.
  void SetSilent(const QByteArray& path) { silent_ = path; }
  // Requests are answered this long after they came in.
  void SetDelay(int ms) { delayMs_ = ms; }

  // The paths asked for, in order.
  QList<QByteArray> requests;

 private:
  void Answer(QTcpSocket* socket) {
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    socket->setProperty("head", head);
    if (!head.contains("\r\n\r\n") || socket->property("answered").toBool()) return;
    socket->setProperty("answered", true);

    // "GET /path HTTP/1.1"
    const QByteArray path = head.left(head.indexOf("\r\n")).split(' ').value(1);
    requests << path;
    if (path == silent_) return;

    const Page page = pages_.value(path, Page{404, "Not Found"});
    QByteArray reply = "HTTP/1.0 " + QByteArray::number(page.status) + " Status\r\n";
    reply += "Content-Type: text/plain\r\nContent-Length: " + QByteArray::number(page.body.size());
    reply += "\r\nConnection: close\r\n\r\n" + page.body;
    QTimer::singleShot(delayMs_, socket, [socket, reply] {
      socket->write(reply);
      socket->disconnectFromHost();
    });
  }

  QTcpServer server_;
  QHash<QByteArray, Page> pages_;
  QByteArray silent_;
  int delayMs_ = 0;
};

}  // namespace tarnwick::testing
