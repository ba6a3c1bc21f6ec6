#include "shell/ticker_download.h"

#include <QEventLoop>
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

}  // namespace

bool CountsAsConnected(QNetworkInformation::Reachability reachability) {
  return reachability != QNetworkInformation::Reachability::Disconnected;
}

TickerDownload::TickerDownload(int timeoutMs) : timeoutMs_(timeoutMs) {}

bool TickerDownload::IsConnected() {
  if (connectionQuery_) return connectionQuery_();
  QNetworkInformation* info = NetworkInformation();
  return CountsAsConnected(info ? info->reachability()
                                : QNetworkInformation::Reachability::Unknown);
}

std::string TickerDownload::FetchDocument(const std::string& address) {
  const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
  if (!url.isValid() || fetching_) return {};
  fetching_ = true;

  QNetworkRequest request(url);
  request.setTransferTimeout(timeoutMs_);
  QNetworkReply* reply = manager_.get(request);

  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  // The transfer time-out counts only silence; this one bounds the whole fetch.
  QObject::connect(&deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  deadline.start(timeoutMs_);
  if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);

  std::string body;
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  // An error page is no ticker text, whatever its body says.
  if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
    const QByteArray data = reply->readAll();
    body.assign(data.constData(), static_cast<std::size_t>(data.size()));
  }
  reply->deleteLater();
  fetching_ = false;
  return body;
}

}  // namespace tarnwick
