#pragma once

#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <functional>
#include <string>

#include "ticker/news_ticker.h"

namespace tarnwick {

// Whether a reachability answer counts as a connection. Only a plain "disconnected" is off-line:
// a host that does not know (no backend, no answer yet) tries the fetch rather than never
// offering it, and a fetch on a local-only network simply brings nothing.
bool CountsAsConnected(QNetworkInformation::Reachability reachability);

// The ticker's platform services in the window: the connection state from the system's network
// information and a blocking HTTP GET with a time-out.
class TickerDownload : public TickerPlatform {
 public:
  static constexpr int kDefaultTimeoutMs = 10000;

  explicit TickerDownload(int timeoutMs = kDefaultTimeoutMs);

  bool IsConnected() override;
  // Waits in a local event loop that takes no user input, so that no click can start a second
  // fetch or close the window meanwhile; timers still run.
  std::string FetchDocument(const std::string& address) override;

  void SetTimeout(int timeoutMs) { timeoutMs_ = timeoutMs; }
  int Timeout() const { return timeoutMs_; }
  // Replaces the system's connection query (tests decide the state themselves).
  void SetConnectionQuery(std::function<bool()> query) { connectionQuery_ = std::move(query); }
  bool Fetching() const { return fetching_; }

 private:
  QNetworkAccessManager manager_;
  int timeoutMs_;
  std::function<bool()> connectionQuery_;
  bool fetching_ = false;
};

}  // namespace tarnwick
