#include "shell/ticker_download.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "shell/mainform.h"
#include "shell/ticker_view.h"
#include "support/loopback_http_server.h"
#include "support/recording_services.h"
#include "ticker/ticker_feed.h"

using tarnwick::CountsAsConnected;
using tarnwick::FormatYyyymmdd;
using tarnwick::LocalToday;
using tarnwick::TickerDownload;
using tarnwick::TickerUpdate;
using tarnwick::TickerView;
using namespace tarnwick::testing;

Q_DECLARE_METATYPE(TickerUpdate)

namespace {

constexpr char kFeedPath[] = "/qzfeed100.txt";
constexpr char kGoodText[] =
    "Tarnwick news\r\n-- 'STARTS HERE' --\r\n  News one^http://news.example/one\r\n"
    "$Alert^\r\nclosing line\r\n";
constexpr char kOldText[] = "old\r\n'Starts here'\r\nOld item^\r\nend\r\n";

// Asks for the ticker text and waits, in this event loop, for the fetch to end.
TickerUpdate Fetch(TickerView& view) {
  std::optional<TickerUpdate> ended;
  QEventLoop loop;
  QObject::connect(&view, &TickerView::TickerUpdated, &loop, [&](TickerUpdate result) {
    ended = result;
    loop.quit();
  });
  const TickerUpdate started = view.GetNewTickerText();
  if (started != TickerUpdate::kFetching) return started;
  QTimer::singleShot(20000, &loop, &QEventLoop::quit);
  loop.exec();
  return ended.value_or(TickerUpdate::kFetching);
}

}  // namespace

class TickerDownloadTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir folder_;
  RecordingServices services_;

  QString TickerFile() const { return folder_.filePath("ticker.db"); }
  QString SettingsFile() const { return folder_.filePath("settings.db"); }

  // The ticker box of the window, pointed at the loopback server and told it is on-line.
  void Connect(TickerView& view, const QByteArray& host, bool online = true) {
    view.SetTickerHost(host.toStdString());
    view.Download().SetConnectionQuery([online] { return online; });
    view.Download().SetTimeout(2000);
    view.MainTimerTick(false);
  }

 private slots:
  void init() {
    QFile::remove(TickerFile());
    QFile::remove(SettingsFile());
  }

  void onlyADisconnectedAnswerIsOffline() {
    using R = QNetworkInformation::Reachability;
    for (R answer : {R::Unknown, R::Online, R::Local, R::Site}) QVERIFY(CountsAsConnected(answer));
    QVERIFY(!CountsAsConnected(R::Disconnected));
  }

  void nothingUsefulFetchedWritesNothing_data() {
    QTest::addColumn<int>("status");  // 0: not served
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("server");  // "up", "silent", "closed" or "offline"
    QTest::addColumn<TickerUpdate>("result");
    const auto nothing = TickerUpdate::kNothingFetched;
    QTest::newRow("empty body") << 200 << QByteArray() << "up" << nothing;
    QTest::newRow("missing file") << 0 << QByteArray() << "up" << nothing;
    QTest::newRow("server error with a page")
        << 500 << QByteArray("'Starts here'\r\nx^\r\ny") << "up" << nothing;
    QTest::newRow("silent server times out") << 0 << QByteArray() << "silent" << nothing;
    QTest::newRow("closed port") << 0 << QByteArray() << "closed" << nothing;
    QTest::newRow("offline asks nothing")
        << 200 << QByteArray(kGoodText) << "offline" << TickerUpdate::kOffline;
  }

  void nothingUsefulFetchedWritesNothing() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, server);
    QFETCH(TickerUpdate, result);
    WriteFile(TickerFile(), kOldText);
    WriteFile(SettingsFile(), "[Ticker]\r\nTickerDate= 19990101\r\n");
    LoopbackHttpServer loopback;
    QVERIFY(loopback.Listen());
    if (status) loopback.SetPage(kFeedPath, {status, body});
    if (server == "silent") loopback.SetSilent(kFeedPath);
    QByteArray host = loopback.Host();
    if (server == "closed") {
      LoopbackHttpServer gone;
      QVERIFY(gone.Listen());
      host = gone.Host();
    }
    TickerView view(services_, folder_.path());
    Connect(view, host, server != "offline");
    view.Download().SetTimeout(300);
    view.LoadTicker();

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(Fetch(view), result);
    QVERIFY2(clock.elapsed() < 5000, "the fetch waited past its time-out");
    QCOMPARE(loopback.requests.size(), server == "up" || server == "silent" ? 1 : 0);
    QCOMPARE(ReadAll(TickerFile()), QByteArray(kOldText));
    QCOMPARE(ReadAll(SettingsFile()), QByteArray("[Ticker]\r\nTickerDate= 19990101\r\n"));
    QCOMPARE(view.Ticker().Rotation().Items().front().caption, std::string("Old item"));
  }

  // A server that answers late holds up nothing: the button returns at once, the window goes
  // on, and a close while the answer is on its way ends the fetch with the window.
  void lateAnswerLeavesTheWindowFree() {
    WriteFile(TickerFile(), kOldText);
    LoopbackHttpServer server;
    QVERIFY(server.Listen());
    server.SetPage(kFeedPath, {200, kGoodText});
    server.SetDelay(1000);
    RecordingServices services;
    tarnwick::Mainform form(services, folder_.path());
    form.Form_Load();
    Find<QTimer>(&form, "MainTimer")->stop();
    auto* view = Find<TickerView>(&form, "picTicker");
    Connect(*view, server.Host());
    view->Download().SetTimeout(10000);
    auto* update = Find<QPushButton>(&form, "cmdGetNewTicker");
    update->setEnabled(true);

    std::optional<TickerUpdate> ended;
    connect(view, &TickerView::TickerUpdated, this, [&](TickerUpdate result) { ended = result; });
    update->click();
    QVERIFY(view->Download().Fetching());
    QVERIFY(!ended);
    // The window takes its input meanwhile, and a second click starts no second fetch.
    QTest::mouseClick(Item(&form, 2), Qt::LeftButton);
    QVERIFY(Find(&form, "picSettings")->isVisible());
    update->click();
    QTRY_VERIFY_WITH_TIMEOUT(ended.has_value(), 20000);
    QCOMPARE(*ended, TickerUpdate::kStored);
    QCOMPARE(server.requests, QList<QByteArray>({kFeedPath}));
    QCOMPARE(ReadAll(TickerFile()), QByteArray(kGoodText));
    QCOMPARE(ReadAll(SettingsFile()),
             "[Ticker]\r\nTickerDate= " + QByteArray::fromStdString(FormatYyyymmdd(LocalToday())) +
                 "\r\n");
    // Reloaded at once: the new items, then the pause.
    QCOMPARE(view->Ticker().Rotation().Items().size(), std::size_t{3});
    QCOMPARE(view->Ticker().Rotation().Items().front().caption, std::string("News one"));

    WriteFile(TickerFile(), kOldText);
    ended.reset();
    update->click();
    QVERIFY(view->Download().Fetching());
    form.close();
    QVERIFY(!form.isVisible());
    QCOMPARE(services.endProcessCalls, 1);
    QVERIFY(!view->Download().Fetching());
    // Whatever the server would still send is not stored.
    QTest::qWait(1500);
    QVERIFY(!ended);
    QCOMPARE(ReadAll(TickerFile()), QByteArray(kOldText));
  }
};

QTEST_MAIN(TickerDownloadTest)
#include "ticker_download_test.moc"
