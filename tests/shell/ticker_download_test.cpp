#include "shell/ticker_download.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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
using tarnwick::testing::LoopbackHttpServer;
using tarnwick::testing::RecordingServices;
using tarnwick::testing::WriteFile;

Q_DECLARE_METATYPE(TickerUpdate)

namespace {

constexpr char kFeedPath[] = "/qzfeed100.txt";
constexpr char kGoodText[] =
    "Tarnwick news\r\n-- 'STARTS HERE' --\r\n  News one^http://news.example/one\r\n"
    "$Alert^\r\nclosing line\r\n";
constexpr char kOldText[] = "old\r\n'Starts here'\r\nOld item^\r\nend\r\n";

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return file.readAll();
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
    QVERIFY(CountsAsConnected(R::Unknown));
    QVERIFY(CountsAsConnected(R::Online));
    QVERIFY(CountsAsConnected(R::Local));
    QVERIFY(!CountsAsConnected(R::Disconnected));
  }

  void goodFileIsStoredWithTheDayAndShown() {
    WriteFile(TickerFile(), kOldText);
    WriteFile(SettingsFile(), "[Main]\r\nCheckForChanges=1\r\n");
    LoopbackHttpServer server;
    QVERIFY(server.Listen());
    server.SetPage(kFeedPath, {200, kGoodText});
    TickerView view(services_, folder_.path());
    Connect(view, server.Host());

    QCOMPARE(view.GetNewTickerText(), TickerUpdate::kStored);
    QCOMPARE(server.requests, QList<QByteArray>({kFeedPath}));
    QCOMPARE(ReadAll(TickerFile()), QByteArray(kGoodText));
    QCOMPARE(ReadAll(SettingsFile()), "[Main]\r\nCheckForChanges=1\r\n[Ticker]\r\nTickerDate= " +
                                          QByteArray::fromStdString(FormatYyyymmdd(LocalToday())) +
                                          "\r\n");
    // Reloaded at once: the new items, then the pause.
    const auto& items = view.Ticker().Rotation().Items();
    QCOMPARE(items.size(), std::size_t{3});
    QCOMPARE(items[0].caption, std::string("News one"));
    QCOMPARE(items[1].caption, std::string("Alert"));
    QVERIFY(items[1].highlighted);
    QCOMPARE(items[2].caption, std::string(" "));
  }

  void nothingUsefulFetchedWritesNothing_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("served");
    QTest::newRow("empty body") << 200 << QByteArray() << true;
    QTest::newRow("missing file") << 404 << QByteArray("Not Found") << false;
    QTest::newRow("server error with a page")
        << 500 << QByteArray("'Starts here'\r\nx^\r\ny") << true;
  }

  void nothingUsefulFetchedWritesNothing() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, served);
    WriteFile(TickerFile(), kOldText);
    WriteFile(SettingsFile(), "[Ticker]\r\nTickerDate= 19990101\r\n");
    LoopbackHttpServer server;
    QVERIFY(server.Listen());
    if (served) server.SetPage(kFeedPath, {status, body});
    TickerView view(services_, folder_.path());
    Connect(view, server.Host());
    view.LoadTicker();

    QCOMPARE(view.GetNewTickerText(), TickerUpdate::kNothingFetched);
    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(ReadAll(TickerFile()), QByteArray(kOldText));
    QCOMPARE(ReadAll(SettingsFile()), QByteArray("[Ticker]\r\nTickerDate= 19990101\r\n"));
    QCOMPARE(view.Ticker().Rotation().Items().front().caption, std::string("Old item"));
  }

  void silentServerTimesOut() {
    LoopbackHttpServer server;
    QVERIFY(server.Listen());
    server.SetSilent(kFeedPath);
    TickerView view(services_, folder_.path());
    Connect(view, server.Host());
    view.Download().SetTimeout(300);

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(view.GetNewTickerText(), TickerUpdate::kNothingFetched);
    QVERIFY2(clock.elapsed() < 5000, "the fetch waited past its time-out");
    QCOMPARE(server.requests.size(), 1);
    QVERIFY(!QFile::exists(TickerFile()));
    QVERIFY(!QFile::exists(SettingsFile()));
  }

  void closedPortAndOfflineFetchNothing() {
    quint16 closedPort = 0;
    {
      LoopbackHttpServer gone;
      QVERIFY(gone.Listen());
      closedPort = gone.Host().split(':').last().toUShort();
    }
    TickerView view(services_, folder_.path());
    Connect(view, "127.0.0.1:" + QByteArray::number(closedPort));
    QCOMPARE(view.GetNewTickerText(), TickerUpdate::kNothingFetched);
    QVERIFY(!QFile::exists(TickerFile()));

    LoopbackHttpServer server;
    QVERIFY(server.Listen());
    server.SetPage(kFeedPath, {200, kGoodText});
    Connect(view, server.Host(), /*online=*/false);
    QCOMPARE(view.GetNewTickerText(), TickerUpdate::kOffline);
    QVERIFY(server.requests.isEmpty());
    QVERIFY(!QFile::exists(TickerFile()));
  }

  void ticksDuringAFetchArePassedOver() {
    // The server answers only after a main-timer tick has come in during the wait.
    LoopbackHttpServer server;
    QVERIFY(server.Listen());
    server.SetPage(kFeedPath, {200, kGoodText});
    TickerView view(services_, folder_.path());
    Connect(view, server.Host());
    const auto ticksBefore = view.Ticker().Schedule().TickerTicks();
    int nestedFetches = -1;
    QTimer::singleShot(0, &view, [&] {
      view.MainTimerTick(false);
      nestedFetches = static_cast<int>(view.GetNewTickerText());
    });
    QCOMPARE(view.GetNewTickerText(), TickerUpdate::kStored);
    QCOMPARE(view.Ticker().Schedule().TickerTicks(), ticksBefore);
    QCOMPARE(nestedFetches, static_cast<int>(TickerUpdate::kNothingFetched));
    QCOMPARE(server.requests.size(), 1);
  }
};

QTEST_MAIN(TickerDownloadTest)
#include "ticker_download_test.moc"
