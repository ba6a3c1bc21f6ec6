#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace tarnwick::testing {

// A tiny HTTP/1.0 server on 127.0.0.1 for the ticker download. It answers a GET of its one page
// with the status and body set, that long after the request came in; 404 for other paths.
class LoopbackHttpServer : public QObject {
 public:
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

  void SetPage(const QByteArray& path, int status, const QByteArray& body, int delayMs) {
    path_ = path;
    status_ = status;
    body_ = body;
    delayMs_ = delayMs;
  }

  // The paths asked for, in order, and how many answers have gone out so far.
  QList<QByteArray> requests;
  int answersSent = 0;

 private:
  void Answer(QTcpSocket* socket) {
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    socket->setProperty("head", head);
    if (!head.contains("\r\n\r\n") || socket->property("answered").toBool()) return;
    socket->setProperty("answered", true);

    // "GET /path HTTP/1.1"
    const QByteArray path = head.left(head.indexOf("\r\n")).split(' ').value(1);
    requests << path;
    const bool found = path == path_;
    const QByteArray body = found ? body_ : "Not Found";
    QByteArray reply = "HTTP/1.0 " + QByteArray::number(found ? status_ : 404) + " Status\r\n";
    reply += "Content-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size());
    reply += "\r\nConnection: close\r\n\r\n" + body;
    QTimer::singleShot(delayMs_, socket, [this, socket, reply] {
      socket->write(reply);
      ++answersSent;
      socket->disconnectFromHost();
    });
  }

  QTcpServer server_;
  QByteArray path_, body_;
  int status_ = 404, delayMs_ = 0;
};

}  // namespace tarnwick::testing
