#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "shell/ticker_download.h"
#include "ticker/news_ticker.h"

class QTimer;

namespace tarnwick {

class ClickableLabel;
class ShellServices;

// The ticker box picTicker: the two labels lblTicker (object name "lblTicker", property "index"
// 0 or 1, like the window's other control arrays), the 100 ms TickerTimer that scrolls them and
// the news ticker behind them. The window's main timer drives it through MainTimerTick.
class TickerView : public QWidget {
  Q_OBJECT

 public:
  TickerView(ShellServices& services, const QString& programFolder, QWidget* parent = nullptr);
  ~TickerView() override;

  // Another ticker server ("127.0.0.1:port" in tests). The ticker starts afresh with it; the
  // stored text is read again by the next LoadTicker.
  void SetTickerHost(const std::string& host);

  void LoadTicker();
  // Starts a fetch; its result comes through TickerUpdated (kFetching meanwhile).
  TickerUpdate GetNewTickerText();
  // Gives up a fetch on its way: nothing of its answer is stored.
  void StopFetch() { download_.Cancel(); }
  // One tick of the main timer. Starts the scroll when an item came in and redraws.
  MainTimerOutcome MainTimerTick(bool exitRequested);

  void TickerTimer_Timer();
  void lblTicker_Click(int index);

  ClickableLabel* Label(int index) const { return lblTicker[index == 0 ? 0 : 1]; }
  QTimer* Timer() const { return TickerTimer; }
  TickerDownload& Download() { return download_; }
  const NewsTicker& Ticker() const { return *ticker_; }

 signals:
  // A fetch ended and its answer was dealt with.
  void TickerUpdated(tarnwick::TickerUpdate result);

 private:
  void Redraw();

  ShellServices& services_;
  std::string programFolder_;
  TickerDownload download_;
  std::unique_ptr<NewsTicker> ticker_;
  std::array<ClickableLabel*, 2> lblTicker{};
  QTimer* TickerTimer;
};

}  // namespace tarnwick
