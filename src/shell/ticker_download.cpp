#include "shell/ticker_download.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace tarnwick {

namespace {

QNetworkInformation* NetworkInformation() {
  // Loaded once; where no backend exists the instance stays null and the state is unknown.
  static const bool loaded =
      QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
  return loaded ? QNetworkInformation::instance() : nullptr;
}

std::string BodyOf(QNetworkReply* reply) {
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  // An error page is no ticker text, whatever its body says.
  if (reply->error() != QNetworkReply::NoError || status < 200 || status >= 300) return {};
  const QByteArray data = reply->readAll();
  return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

}  // namespace

bool CountsAsConnected(QNetworkInformation::Reachability reachability) {
  return reachability != QNetworkInformation::Reachability::Disconnected;
}

TickerDownload::TickerDownload(int timeoutMs) : timeoutMs_(timeoutMs) {}

TickerDownload::~TickerDownload() { Cancel(); }

bool TickerDownload::IsConnected() {
  if (connectionQuery_) return connectionQuery_();
  QNetworkInformation* info = NetworkInformation();
  return CountsAsConnected(info ? info->reachability()
                                : QNetworkInformation::Reachability::Unknown);
}

void TickerDownload::StartFetch(const std::string& address, FetchDone done) {
  const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
  if (!url.isValid() || Fetching()) {
    done({});
    return;
  }
  QNetworkRequest request(url);
  request.setTransferTimeout(timeoutMs_);
  QNetworkReply* reply = manager_.get(request);
  reply_ = reply;
  // The transfer time-out counts only silence; this one bounds the whole fetch. Both go with
  // the reply.
  QTimer::singleShot(timeoutMs_, reply, [reply] { reply->abort(); });
  QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply, done = std::move(done)] {
    reply_.clear();
    reply->deleteLater();
    done(BodyOf(reply));
  });
}

void TickerDownload::Cancel() {
  if (QNetworkReply* reply = reply_.data()) {
    reply_.clear();
    QObject::disconnect(reply, nullptr, nullptr, nullptr);
    reply->abort();
    reply->deleteLater();
  }
}

}  // namespace tarnwick
