#pragma once

#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QPointer>
#include <functional>
#include <string>

#include "ticker/news_ticker.h"

class QNetworkReply;

namespace tarnwick {

// Whether a reachability answer counts as a connection. Only a plain "disconnected" is off-line:
// a host that does not know (no backend, no answer yet) tries the fetch rather than never
// offering it, and a fetch on a local-only network simply brings nothing.
bool CountsAsConnected(QNetworkInformation::Reachability reachability);

// The ticker's platform services in the window: the connection state from the system's network
// information and an HTTP GET with a time-out. The GET runs beside the window's event loop and
// reports when it ends, so a slow server never holds up the window.
class TickerDownload : public TickerPlatform {
 public:
  static constexpr int kDefaultTimeoutMs = 10000;

  explicit TickerDownload(int timeoutMs = kDefaultTimeoutMs);
  ~TickerDownload() override;

  bool IsConnected() override;
  // One fetch at a time: a second one while the first is on its way gets "" at once.
  void StartFetch(const std::string& address, FetchDone done) override;
  // Gives up the fetch on its way without telling its caller.
  void Cancel();

  void SetTimeout(int timeoutMs) { timeoutMs_ = timeoutMs; }
  int Timeout() const { return timeoutMs_; }
  // Replaces the system's connection query (tests decide the state themselves).
  void SetConnectionQuery(std::function<bool()> query) { connectionQuery_ = std::move(query); }
  bool Fetching() const { return !reply_.isNull(); }

 private:
  QNetworkAccessManager manager_;
  int timeoutMs_;
  std::function<bool()> connectionQuery_;
  QPointer<QNetworkReply> reply_;
};

}  // namespace tarnwick
