#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "shell/about_panel.h"
#include "shell/compare_list.h"
#include "shell/donate_panel.h"
#include "shell/feedback_panel.h"
#include "shell/quick_menu.h"
#include "shell/web_links.h"
#include "support/probe_form.h"
#include "support/recording_services.h"

using tarnwick::Mainform;
using tarnwick::QuickMenu;
using tarnwick::testing::ProbeForm;
using tarnwick::testing::RecordingServices;
using tarnwick::testing::WriteFile;

namespace {

template <typename T>
T* Find(QWidget* form, const char* name) {
  T* widget = form->findChild<T*>(QString::fromLatin1(name));
  if (!widget) qFatal("no widget %s", name);
  return widget;
}

QLabel* Item(QWidget* form, int index) {
  for (QLabel* label : form->findChildren<QLabel*>(QStringLiteral("Qmenu")))
    if (label->property("index").toInt() == index) return label;
  qFatal("no item %d", index);
}

const char* const kPanels[] = {"picConvert", "picCompare",  "picSettings",
                               "picAbout",   "picDonation", "picFeedback"};

QString VisiblePanels(QWidget* form) {
  QStringList shown;
  for (const char* name : kPanels)
    if (Find<QWidget>(form, name)->isVisible()) shown << QString::fromLatin1(name);
  return shown.join(',');
}

}  // namespace

class MainformTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir programFolder_;
  RecordingServices services_;

 private slots:
  void init() {
    services_ = RecordingServices();
    QFile::remove(programFolder_.filePath("settings.db"));
  }

  void startUpRunsItsStepsInOrder() {
    WriteFile(programFolder_.filePath("settings.db"),
              "[Positions]\r\n1=/webs/alpha\r\n2=   \r\n3=/webs/beta\r\n");
    ProbeForm form(services_, programFolder_.path());
    QCOMPARE(form.windowTitle(), QStringLiteral("Tarnwick"));
    QVERIFY(!form.FormReady);
    form.ExitRequested = true;
    form.Form_Load();

    QCOMPARE(form.trace, QStringList({"settings visible=0 ready=0", "ticker timer=0 visible=0",
                                      "tray timer=1 visible=0"}));
    QVERIFY(form.FormReady);
    QVERIFY(!form.ExitRequested);
    QVERIFY(form.isVisible());
    QVERIFY(form.Timer()->isActive());
    QCOMPARE(form.Timer()->interval(), 1000);

    auto* source = Find<QComboBox>(&form, "txtConvertFrom");
    QCOMPARE(form.focusWidget(), source);
    QCOMPARE(source->count(), 2);
    QCOMPARE(source->itemText(0), QStringLiteral("/webs/alpha"));
    QCOMPARE(source->itemText(1), QStringLiteral("/webs/beta"));
    QCOMPARE(source->currentText(), QStringLiteral("/webs/alpha"));

    QCOMPARE(VisiblePanels(&form), QStringLiteral("picConvert"));
    auto* menu = Find<QuickMenu>(&form, "OutlookBar");
    QCOMPARE(Find<QLabel>(&form, "QmenuSelected")->y(), menu->MarkTop(0));
  }

  void failingStepIsSkipped() {
    WriteFile(programFolder_.filePath("settings.db"), "[Positions]\r\n1=/webs/alpha\r\n");
    ProbeForm form(services_, programFolder_.path());
    form.failSettings = true;
    form.Form_Load();
    QCOMPARE(form.trace.size(), 3);
    QVERIFY(form.FormReady);
    QVERIFY(form.isVisible());
    QCOMPARE(Find<QComboBox>(&form, "txtConvertFrom")->currentText(),
             QStringLiteral("/webs/alpha"));
  }

  void exitRequestClosesAtNextTick() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    form.ExitRequested = true;
    QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 2500);
    QCOMPARE(services_.endProcessCalls, 1);
  }

  void menuItemsStandInTheirPlaces() {
    ProbeForm form(services_, programFolder_.path());
    const char* tips[] = {"Start Converting", "Compare", "Settings", "Help", "About",
                          "Donate",           "Feedback"};
    const int tops[] = {840, 1440, 2040, 2640, 3240, 4440, 3840};
    for (int i = 0; i < QuickMenu::kItemCount; ++i) {
      QCOMPARE(Item(&form, i)->toolTip(), QString::fromLatin1(tips[i]));
      QCOMPARE(Item(&form, i)->geometry(), QRect(8, qRound(tops[i] / 15.0), 32, 32));
    }
    QVERIFY(Item(&form, 6)->y() < Item(&form, 5)->y());
    QCOMPARE(Find<QLabel>(&form, "lblQMenuTop")->text(), QStringLiteral(" Quick Menu"));
    QCOMPARE(Find<QLabel>(&form, "lblQMenuBottom")->text(), QStringLiteral("Tarnwick"));
  }

  void helpOpensTheProductPageAndLeavesThePanel() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);
    const int marker = Find<QLabel>(&form, "QmenuSelected")->y();
    form.SelectQuickMenuItem(3);
    QCOMPARE(services_.urls, QStringList{QString::fromLatin1(tarnwick::kProductHomePage)});
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picSettings"));
    QCOMPARE(Find<QLabel>(&form, "QmenuSelected")->y(), marker);
  }

  void panelsShowTheirTexts() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(4);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picAbout"));
    QCOMPARE(Find<QLabel>(&form, "lblAboutVersion")->text(), QStringLiteral("Version  1.0.0  "));

    for (int i = 0; i < 3; ++i) form.SelectQuickMenuItem(5);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picDonation"));
    const QString donation = Find<QLabel>(&form, "lblDonation")->text();
    QCOMPARE(donation, QStringLiteral("    \r\n\r\n    \r\n\r\n    If you find that Tarnwick has "
                                      "saved you time, money or effort then please donate."));

    form.SelectQuickMenuItem(6);
    form.SelectQuickMenuItem(6);
    const QString feedback = Find<QLabel>(&form, "lblFeedback")->text();
    QCOMPARE(feedback, tarnwick::FeedbackPanel::FeedbackText());
    QVERIFY(feedback.startsWith("    Your feedback is extremely important"));
    QVERIFY(feedback.contains(QStringLiteral("\r\n\r\n    or you can use the feedback form on my "
                                             "website\r\n        ") +
                              QString::fromLatin1(tarnwick::kFeedbackPage) + "\r\n\r\n"));
    QVERIFY(feedback.endsWith(QString(27, ' ') + QString::fromLatin1(tarnwick::kAuthorName)));
    QCOMPARE(feedback.count(QStringLiteral("Thankyou for your interest")), 1);

    // The titles and their shadows.
    const auto titles = form.findChildren<QLabel*>(QStringLiteral("lblAboutTitle"));
    QCOMPARE(titles.size(), 6);
  }

  void compareIsRebuiltOnEverySelection() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(1);
    form.SelectQuickMenuItem(1);
    QCOMPARE(form.compareBuilds, 2);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picCompare"));
  }

  void hoverButtonFollowsThePointer() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    auto* menu = Find<QuickMenu>(&form, "OutlookBar");
    auto* selector = Find<QToolButton>(&form, "QmenuSelector");

    menu->UpdateMenuHover(0);  // over the selected item
    QVERIFY(!selector->isVisible());
    QCOMPARE(menu->HoverIndex(), 0);

    menu->UpdateMenuHover(6);
    QVERIFY(selector->isVisible());
    QCOMPARE(selector->geometry(), QRect(0, menu->MarkTop(6), 52, 41));
    QCOMPARE(selector->toolTip(), QStringLiteral("Feedback"));
    QCOMPARE(menu->HoverIndex(), 6);

    // Clicking the hover button selects the item under it: Feedback, above Donate.
    QTest::mouseClick(selector, Qt::LeftButton);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picFeedback"));
    QVERIFY(!selector->isVisible());
    QCOMPARE(Find<QLabel>(&form, "QmenuSelected")->y(), menu->MarkTop(6));

    // Pointer far below the window but close to its left edge: the button stays.
    menu->UpdateMenuHover(2);
    const int left = form.frameGeometry().x();
    menu->CursorPosition = [left] { return QPoint(left + 60, 5000); };
    menu->tmrQuickMenu_Timer();
    QVERIFY(selector->isVisible());
    menu->CursorPosition = [left] { return QPoint(left + 61, 100); };
    menu->tmrQuickMenu_Timer();
    QVERIFY(!selector->isVisible());
  }

  void pointerMovesRaiseTheHoverButton() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    QTest::mouseMove(Item(&form, 4), QPoint(10, 10));
    QTRY_VERIFY(Find<QToolButton>(&form, "QmenuSelector")->isVisible());
    QCOMPARE(Find<QuickMenu>(&form, "OutlookBar")->HoverIndex(), 4);
    QTest::mouseClick(Item(&form, 2), Qt::LeftButton);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picSettings"));
  }

  void nameAndLogoTakeTurns() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    auto* menu = Find<QuickMenu>(&form, "OutlookBar");
    auto* name = Find<QLabel>(&form, "lblQMenuBottom");
    auto* logo = Find<QLabel>(&form, "imgQMenuBottom");
    QStringList seen;
    for (int tick = 0; tick < 2; ++tick) {
      menu->tmrQuickMenu_Timer();
      QVERIFY(name->isVisible() != logo->isVisible());
      seen << (name->isVisible() ? "name" : "logo");
    }
    seen.sort();
    QCOMPARE(seen, QStringList({"logo", "name"}));
    QCOMPARE(Find<QTimer>(&form, "tmrQuickMenu")->interval(), 500);
    QVERIFY(Find<QTimer>(&form, "tmrQuickMenu")->isActive());
  }

  void linkLabelsOpenTheirPages() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(5);
    auto* site = Find<QLabel>(&form, "lblDonationSite");
    QCOMPARE(site->text(), QStringLiteral("Click here for details on making a donation. >>>  "));
    QTest::mouseClick(site, Qt::LeftButton);
    QTest::mouseClick(site, Qt::LeftButton);
    QTest::mouseClick(Find<QLabel>(&form, "lblDonation"), Qt::LeftButton);
    const QString donation = QString::fromLatin1(tarnwick::kDonationPage);
    QCOMPARE(services_.urls, QStringList({donation, donation, donation}));

    form.SelectQuickMenuItem(6);
    auto* go = Find<QLabel>(&form, "lblFeedbackGO");
    QCOMPARE(go->text(),
             QStringLiteral("Click here to send me your feedback from my website  >>>  "));
    QTest::mouseClick(go, Qt::LeftButton);
    QCOMPARE(services_.urls.last(), QString::fromLatin1(tarnwick::kFeedbackPage));

    form.SelectQuickMenuItem(4);
    auto* website = Find<QLabel>(&form, "lblWebsite");
    QVERIFY(website->text().startsWith("Website: "));
    QTest::mouseClick(website, Qt::LeftButton);
    QCOMPARE(services_.urls.last(), QString::fromLatin1(tarnwick::kMakerHomePage));
    QVERIFY(!website->text().contains(services_.urls.last()));
    for (const QString& url : services_.urls) QVERIFY(QUrl(url).host().endsWith(".example"));
  }

  void compareListIsPrepared() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    auto* list = Find<tarnwick::CompareList>(&form, "lstCompare");
    const int sample = QFontMetrics(list->font())
                           .horizontalAdvance(QString::fromLatin1(Mainform::kCompareSampleText));
    QCOMPARE(list->HorizontalExtent(), sample + 20);
    QCOMPARE(list->TabStops(), std::vector<int>({72, 112, 152, 192}));
    const double unit = list->DialogUnitPixels();
    QVERIFY(unit > 0);
    QCOMPARE(list->TabStopPixels()[0], qRound(72 * unit));

    // The list scrolls exactly over the extent, whatever the lines hold.
    form.SelectQuickMenuItem(1);
    list->SetLines({"short", "Folders\t12\t3\t4"});
    list->resize(200, 120);
    QTRY_COMPARE(list->horizontalScrollBar()->maximum(),
                 list->HorizontalExtent() - list->viewport()->width());
  }
};

QTEST_MAIN(MainformTest)
#include "mainform_test.moc"
