#include <QAction>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "shell/clickable_label.h"
#include "shell/mainform.h"
#include "shell/ticker_download.h"
#include "shell/ticker_view.h"
#include "shell/tray_icon.h"
#include "shell/twips.h"
#include "support/loopback_http_server.h"
#include "support/recording_services.h"
#include "ticker/ticker_feed.h"

using tarnwick::ClickableLabel;
using tarnwick::CountsAsConnected;
using tarnwick::FormatYyyymmdd;
using tarnwick::LocalToday;
using tarnwick::Mainform;
using tarnwick::ShowsWelcomeBalloon;
using tarnwick::TickerUpdate;
using tarnwick::TickerView;
using tarnwick::TrayIcon;
using tarnwick::TrayMenuCaption;
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

// The window with its timer handlers in the test's hands: the real timers are stopped after the
// start-up, so every tick happens where the test calls it.
class DrivenForm : public Mainform {
 public:
  using Mainform::Mainform;

  void Start() {
    Form_Load();
    MainTimer->stop();
  }
  void TickMain() { MainTimer_Timer(); }

  TickerView* Ticker() { return findChild<TickerView*>(QStringLiteral("picTicker")); }
  TrayIcon* Tray() { return findChild<TrayIcon*>(QStringLiteral("TrayIcon1")); }
};

ClickableLabel* TickerLabel(QWidget* form, int index) {
  for (auto* label : form->findChildren<ClickableLabel*>(QStringLiteral("lblTicker")))
    if (label->property("index").toInt() == index) return label;
  qFatal("no lblTicker(%d)", index);
}

QColor Colour(QLabel* label) { return label->palette().color(QPalette::WindowText); }

// The scroll of one item change, run to its end: the number of 100 ms ticks it took.
int Scroll(TickerView* view) {
  int ticks = 0;
  while (view->Timer()->isActive() && ticks < 100) {
    view->TickerTimer_Timer();
    ++ticks;
  }
  return ticks;
}

void Tick(DrivenForm& form, int ticks = 3) {
  for (int i = 0; i < ticks; ++i) form.TickMain();
}

}  // namespace

class TickerTest : public QObject {
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
    services_ = RecordingServices();
    QFile::remove(TickerFile());
    QFile::remove(SettingsFile());
  }

  // The order of items and ticks is the core's; here, what the labels show of them and where.
  void labelsShowTheItemsScrollAndOpenTheirLinks() {
    WriteFile(TickerFile(), kGoodText);
    DrivenForm form(services_, folder_.path());
    form.Start();
    TickerView* view = form.Ticker();
    QLabel* incoming = TickerLabel(&form, 0);
    QLabel* outgoing = TickerLabel(&form, 1);
    Tick(form);
    QCOMPARE(incoming->text(), QString());
    QVERIFY(!view->Timer()->isActive());

    form.TickMain();
    QCOMPARE(incoming->text(), QStringLiteral("News one"));
    QCOMPARE(Colour(incoming), QColor(255, 255, 128));
    QVERIFY(incoming->font().underline());
    // 360 and 0 twips; both as wide and high as the box.
    QCOMPARE(incoming->geometry(), QRect(0, 24, 441, 23));
    QCOMPARE(outgoing->geometry(), QRect(0, 0, 441, 23));
    // The rotation's positions, in twips, placed in pixels: at rest 40 and -325.
    QCOMPARE(Scroll(view), 13);
    QCOMPARE(incoming->y(), tarnwick::Twips(40));
    QCOMPARE(outgoing->y(), tarnwick::Twips(-325));
    QTest::mouseClick(incoming, Qt::LeftButton);
    QCOMPARE(services_.urls, QStringList({"http://news.example/one"}));

    Tick(form);
    QCOMPARE(incoming->text(), QStringLiteral("Alert"));
    QCOMPARE(Colour(incoming), QColor(255, 0, 0));
    QVERIFY(!incoming->font().underline());
    // The outgoing label takes caption and colour of the item before, and no longer links.
    QCOMPARE(outgoing->text(), QStringLiteral("News one"));
    QCOMPARE(Colour(outgoing), QColor(255, 255, 128));
    QTest::mouseClick(outgoing, Qt::LeftButton);
    QCOMPARE(services_.urls.size(), 1);
  }

  void exitFromTheTrayMenuClosesAtTheNextTick() {
    DrivenForm form(services_, folder_.path());
    form.Start();
    TrayIcon* tray = form.Tray();
    QVERIFY(tray);
    QCOMPARE(tray->ToolTip(), QStringLiteral("Tarnwick\r\n   Status : Ready"));
    const QList<QAction*> actions = tray->Menu()->actions();
    QStringList captions;
    for (QAction* action : actions) captions << action->text();
    QCOMPARE(captions, QStringList({"Help", "About", "", "Exit"}));
    // The offscreen desktop has no tray: no icon, and the program runs on without one.
    QVERIFY(!tray->IconShown());

    actions[0]->trigger();
    actions[1]->trigger();
    tray->MenuClick(99);
    QVERIFY(!form.ExitRequested);
    QVERIFY(services_.urls.isEmpty());

    actions[3]->trigger();
    QVERIFY(form.ExitRequested);
    QVERIFY(form.isVisible());
    QCOMPARE(services_.endProcessCalls, 0);
    form.TickMain();
    QVERIFY(!form.isVisible());
    QCOMPARE(services_.endProcessCalls, 1);
  }

  void welcomeBalloonGoesByTheSystem() {
    // System, whether the tray can show balloons, expected.
    const std::tuple<const char*, bool, bool> rows[] = {
        {"Win 2000", false, true}, {"Win XP", false, true}, {"Win 3.1", true, false},
        {"Win 9x", true, false},   {"NT 4", true, false},   {"Unknown", true, true},
        {"Unknown", false, false}, {"Win NT", true, true}};
    for (const auto& [system, balloons, expected] : rows)
      QVERIFY2(ShowsWelcomeBalloon(system, balloons) == expected, system);
    QCOMPARE(TrayMenuCaption(0), QString());
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
    DrivenForm form(services_, folder_.path());
    form.Start();
    TickerView* view = form.Ticker();
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
    QCOMPARE(services_.endProcessCalls, 1);
    QVERIFY(!view->Download().Fetching());
    // Whatever the server would still send is not stored.
    QTest::qWait(1500);
    QVERIFY(!ended);
    QCOMPARE(ReadAll(TickerFile()), QByteArray(kOldText));
  }
};

QTEST_MAIN(TickerTest)
#include "ticker_test.moc"
