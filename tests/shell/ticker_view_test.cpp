#include "shell/ticker_view.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "shell/clickable_label.h"
#include "shell/mainform.h"
#include "shell/tray_icon.h"
#include "support/loopback_http_server.h"
#include "support/recording_services.h"

using tarnwick::ClickableLabel;
using tarnwick::Mainform;
using tarnwick::ShowsWelcomeBalloon;
using tarnwick::TickerView;
using tarnwick::TrayIcon;
using tarnwick::TrayMenuCaption;
using tarnwick::testing::LoopbackHttpServer;
using tarnwick::testing::RecordingServices;
using tarnwick::testing::WriteFile;

namespace {

constexpr char kTwoItems[] =
    "Tarnwick news\r\n-- 'STARTS HERE' --\r\n  News one^http://news.example/one\r\n"
    "$Alert^\r\n\r\n\r\n";

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
  void ClickGetNewTicker() { cmdGetNewTicker_Click(); }
  bool MainTimerActive() const { return MainTimer->isActive(); }

  TickerView* Ticker() { return findChild<TickerView*>(QStringLiteral("picTicker")); }
  TrayIcon* Tray() { return findChild<TrayIcon*>(QStringLiteral("TrayIcon1")); }
};

ClickableLabel* TickerLabel(QWidget* form, int index) {
  for (auto* label : form->findChildren<ClickableLabel*>(QStringLiteral("lblTicker")))
    if (label->property("index").toInt() == index) return label;
  qFatal("no lblTicker(%d)", index);
}

QString Shown(QWidget* form) { return TickerLabel(form, 0)->text(); }

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

void TickThrice(DrivenForm& form) {
  for (int i = 0; i < 3; ++i) form.TickMain();
}

}  // namespace

class TickerViewTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir folder_;
  RecordingServices services_;

 private slots:
  void init() {
    services_ = RecordingServices();
    QFile::remove(folder_.filePath("ticker.db"));
    QFile::remove(folder_.filePath("settings.db"));
  }

  void itemsRotateFromTheFourthTick() {
    WriteFile(folder_.filePath("ticker.db"), kTwoItems);
    DrivenForm form(services_, folder_.path());
    form.Start();
    TickerView* view = form.Ticker();
    QVERIFY(view->isVisible());
    QCOMPARE(view->size(), QSize(441, 23));

    TickThrice(form);
    QCOMPARE(Shown(&form), QString());
    QVERIFY(!view->Timer()->isActive());

    form.TickMain();
    QCOMPARE(Shown(&form), QStringLiteral("News one"));
    QCOMPARE(Colour(TickerLabel(&form, 0)), QColor(255, 255, 128));
    QVERIFY(TickerLabel(&form, 0)->font().underline());
    QVERIFY(view->Timer()->isActive());
    QCOMPARE(view->Timer()->interval(), 100);
    QCOMPARE(Scroll(view), 13);

    TickThrice(form);
    QCOMPARE(Shown(&form), QStringLiteral("Alert"));
    QCOMPARE(Colour(TickerLabel(&form, 0)), QColor(255, 0, 0));
    QVERIFY(!TickerLabel(&form, 0)->font().underline());
    // The outgoing label takes caption and colour of the item before.
    QCOMPARE(TickerLabel(&form, 1)->text(), QStringLiteral("News one"));
    QCOMPARE(Colour(TickerLabel(&form, 1)), QColor(255, 255, 128));
    Scroll(view);

    TickThrice(form);
    QCOMPARE(Shown(&form), QStringLiteral(" "));
    Scroll(view);
    TickThrice(form);
    QCOMPARE(Shown(&form), QStringLiteral("News one"));
  }

  void labelsScrollUpAndRest() {
    WriteFile(folder_.filePath("ticker.db"), kTwoItems);
    DrivenForm form(services_, folder_.path());
    form.Start();
    TickerView* view = form.Ticker();
    for (int i = 0; i < 4; ++i) form.TickMain();
    QLabel* incoming = TickerLabel(&form, 0);
    QLabel* outgoing = TickerLabel(&form, 1);
    // 360 and 0 twips at 15 to the pixel; both as wide and high as the box.
    QCOMPARE(incoming->geometry(), QRect(0, 24, 441, 23));
    QCOMPARE(outgoing->geometry(), QRect(0, 0, 441, 23));
    view->TickerTimer_Timer();
    QCOMPARE(incoming->y(), 22);  // 335 twips
    QCOMPARE(outgoing->y(), -2);  // -25 twips
    Scroll(view);
    QCOMPARE(incoming->y(), 3);    // rests at 40 twips
    QCOMPARE(outgoing->y(), -22);  // -325 twips
    QVERIFY(!view->Timer()->isActive());
    // A stray tick after the rest moves nothing.
    view->TickerTimer_Timer();
    QCOMPARE(incoming->y(), 3);
  }

  void onlyTheCurrentLinkedItemOpensItsPage() {
    WriteFile(folder_.filePath("ticker.db"), kTwoItems);
    DrivenForm form(services_, folder_.path());
    form.Start();
    for (int i = 0; i < 4; ++i) form.TickMain();
    Scroll(form.Ticker());

    QTest::mouseClick(TickerLabel(&form, 0), Qt::LeftButton);
    QCOMPARE(services_.urls, QStringList({"http://news.example/one"}));

    // During the change to Alert the outgoing label still shows News one: a click on it
    // opens nothing, nor does one on Alert, which has no link.
    TickThrice(form);
    form.Ticker()->lblTicker_Click(1);
    form.Ticker()->lblTicker_Click(0);
    Scroll(form.Ticker());
    QTest::mouseClick(TickerLabel(&form, 0), Qt::LeftButton);
    QCOMPARE(services_.urls.size(), 1);
  }

  void updateButtonFetchesAndShowsTheNewText() {
    LoopbackHttpServer server;
    QVERIFY(server.Listen());
    server.SetPage("/qzfeed100.txt", {200, kTwoItems});
    WriteFile(folder_.filePath("ticker.db"), "'Starts here'\r\nOld item^\r\nend\r\n");
    DrivenForm form(services_, folder_.path());
    form.Start();
    TickerView* view = form.Ticker();
    view->SetTickerHost(server.Host().toStdString());
    view->LoadTicker();

    bool online = false;
    view->Download().SetConnectionQuery([&online] { return online; });
    auto* button = form.findChild<QPushButton*>(QStringLiteral("cmdGetNewTicker"));
    form.TickMain();
    if (button) QVERIFY(!button->isEnabled());
    form.ClickGetNewTicker();
    QVERIFY(server.requests.isEmpty());

    online = true;
    form.TickMain();
    if (button) QVERIFY(button->isEnabled());
    form.ClickGetNewTicker();
    QCOMPARE(server.requests.size(), 1);
    form.TickMain();
    form.TickMain();  // the fourth tick since the new host
    QCOMPARE(Shown(&form), QStringLiteral("News one"));
  }

  void exitFromTheTrayMenuClosesAtTheNextTick() {
    DrivenForm form(services_, folder_.path());
    form.Start();
    TrayIcon* tray = form.Tray();
    QVERIFY(tray);
    QCOMPARE(tray->ToolTip(), QStringLiteral("Tarnwick\r\n   Status : Ready"));
    const QList<QAction*> actions = tray->Menu()->actions();
    QCOMPARE(actions.size(), 4);
    QCOMPARE(actions[0]->text(), QStringLiteral("Help"));
    QCOMPARE(actions[1]->text(), QStringLiteral("About"));
    QVERIFY(actions[2]->isSeparator());
    QCOMPARE(actions[3]->text(), QStringLiteral("Exit"));
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
    QVERIFY(ShowsWelcomeBalloon("Win 2000", false));
    QVERIFY(ShowsWelcomeBalloon("Win XP", false));
    for (const char* older : {"Win 3.1", "Win 9x", "NT 4"})
      QVERIFY(!ShowsWelcomeBalloon(older, true));
    QVERIFY(ShowsWelcomeBalloon("Unknown", true));
    QVERIFY(!ShowsWelcomeBalloon("Unknown", false));
    QVERIFY(ShowsWelcomeBalloon("Win NT", true));
    QCOMPARE(TrayMenuCaption(4), QStringLiteral("Exit"));
    QCOMPARE(TrayMenuCaption(0), QString());
  }
};

QTEST_MAIN(TickerViewTest)
#include "ticker_view_test.moc"
