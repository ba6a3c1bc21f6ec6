#include "support/loopback_http_server.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace tarnwick::testing {

LoopbackHttpServer::LoopbackHttpServer(int maxRequests, int lifetimeMs)
    : maxRequests_(maxRequests) {
  lifetime_.setSingleShot(true);
  lifetime_.setInterval(lifetimeMs);
  connect(&lifetime_, &QTimer::timeout, &server_, &QTcpServer::close);
  connect(&server_, &QTcpServer::newConnection, this, &LoopbackHttpServer::Accept);
}

bool LoopbackHttpServer::Listen() {
  if (!server_.listen(QHostAddress::LocalHost, 0)) return false;
  lifetime_.start();
  return true;
}

QByteArray LoopbackHttpServer::Host() const {
  return "127.0.0.1:" + QByteArray::number(server_.serverPort());
}

void LoopbackHttpServer::Accept() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    socket->setParent(this);
    if (requests.size() >= maxRequests_) {
      server_.close();
      socket->abort();
      continue;
    }
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Answer(socket); });
  }
}

void LoopbackHttpServer::Answer(QTcpSocket* socket) {
  QByteArray head = socket->property("head").toByteArray() + socket->readAll();
  socket->setProperty("head", head);
  if (!head.contains("\r\n\r\n") || socket->property("answered").toBool()) return;
  socket->setProperty("answered", true);

  // "GET /path HTTP/1.1"
  const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
  const QByteArray path = requestLine.value(1);
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

}  // namespace tarnwick::testing
