#include "shell/ticker_view.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "shell/clickable_label.h"
#include "shell/mainform.h"
#include "shell/tray_icon.h"
#include "shell/twips.h"
#include "support/recording_services.h"

using tarnwick::ClickableLabel;
using tarnwick::Mainform;
using tarnwick::ShowsWelcomeBalloon;
using tarnwick::TickerView;
using tarnwick::TrayIcon;
using tarnwick::TrayMenuCaption;
using namespace tarnwick::testing;

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

  // The order of items and ticks is the core's; here, what the labels show of them and where.
  void labelsShowTheItemsScrollAndOpenTheirLinks() {
    WriteFile(folder_.filePath("ticker.db"), kTwoItems);
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
};

QTEST_MAIN(TickerViewTest)
#include "ticker_view_test.moc"
