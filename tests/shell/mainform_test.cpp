#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "shell/quick_menu.h"
#include "shell/web_links.h"
#include "support/probe_form.h"
#include "support/recording_services.h"

using tarnwick::QuickMenu;
using namespace tarnwick::testing;

namespace {

const char* const kPanels[] = {"picConvert", "picCompare",  "picSettings",
                               "picAbout",   "picDonation", "picFeedback"};

QString VisiblePanels(QWidget* form) {
  QStringList shown;
  for (const char* name : kPanels)
    if (Find(form, name)->isVisible()) shown << QString::fromLatin1(name);
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

  void startUpRunsItsStepsInOrder_data() {
    QTest::addColumn<bool>("failSettings");
    QTest::newRow("all steps") << false;
    QTest::newRow("failing settings step is skipped") << true;
  }
  void startUpRunsItsStepsInOrder() {
    QFETCH(bool, failSettings);
    WriteFile(programFolder_.filePath("settings.db"),
              "[Positions]\r\n1=/webs/alpha\r\n2=   \r\n3=/webs/beta\r\n");
    ProbeForm form(services_, programFolder_.path());
    form.failSettings = failSettings;
    form.ExitRequested = true;
    form.Form_Load();

    QCOMPARE(form.trace, QStringList({"settings visible=0 ready=0", "ticker timer=0 visible=0",
                                      "tray timer=1 visible=0"}));
    QVERIFY(form.FormReady);
    QVERIFY(!form.ExitRequested);
    QVERIFY(form.isVisible());
    QVERIFY(form.Timer()->isActive());
    auto* source = Find<QComboBox>(&form, "txtConvertFrom");
    QCOMPARE(form.focusWidget(), source);
    QCOMPARE(source->count(), 2);
    QCOMPARE(source->itemText(1), QStringLiteral("/webs/beta"));
    QCOMPARE(source->currentText(), QStringLiteral("/webs/alpha"));
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picConvert"));
  }

  void menuSelectsPanelsAndLinksOpenPages() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    const char* tips[] = {"Start Converting", "Compare", "Settings", "Help", "About",
                          "Donate",           "Feedback"};
    for (int i = 0; i < QuickMenu::kItemCount; ++i)
      QCOMPARE(Item(&form, i)->toolTip(), QString::fromLatin1(tips[i]));
    // Feedback stands above Donate.
    QVERIFY(Item(&form, 6)->y() < Item(&form, 5)->y());

    auto* marker = Find<QLabel>(&form, "QmenuSelected");
    form.SelectQuickMenuItem(2);
    const int settingsMark = marker->y();
    // Help opens the product page and leaves the panel and its mark where they were.
    form.SelectQuickMenuItem(3);
    QCOMPARE(services_.urls, QStringList{QString::fromLatin1(tarnwick::kProductHomePage)});
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picSettings"));
    QCOMPARE(marker->y(), settingsMark);

    // The Compare report is rebuilt on every selection.
    form.SelectQuickMenuItem(1);
    form.SelectQuickMenuItem(1);
    QCOMPARE(form.compareBuilds, 2);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picCompare"));

    // Selecting Donate or Feedback again does not add to its text.
    for (int i = 0; i < 3; ++i) form.SelectQuickMenuItem(5);
    QCOMPARE(Find<QLabel>(&form, "lblDonation")->text(),
             QStringLiteral("    \r\n\r\n    \r\n\r\n    If you find that Tarnwick has "
                            "saved you time, money or effort then please donate."));
    form.SelectQuickMenuItem(6);
    form.SelectQuickMenuItem(6);
    QCOMPARE(Find<QLabel>(&form, "lblFeedback")->text().count("Thankyou for your interest"), 1);

    const struct {
      int panel;
      const char* label;
      const char* url;
    } links[] = {{5, "lblDonationSite", tarnwick::kDonationPage},
                 {5, "lblDonation", tarnwick::kDonationPage},
                 {6, "lblFeedbackGO", tarnwick::kFeedbackPage},
                 {4, "lblWebsite", tarnwick::kMakerHomePage}};
    for (const auto& link : links) {
      form.SelectQuickMenuItem(link.panel);
      QCOMPARE(VisiblePanels(&form), QString::fromLatin1(kPanels[link.panel - 1]));
      QTest::mouseClick(Find<QLabel>(&form, link.label), Qt::LeftButton);
      QCOMPARE(services_.urls.last(), QString::fromLatin1(link.url));
    }
    QCOMPARE(services_.urls.size(), 5);
  }

  void hoverButtonFollowsThePointer() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    auto* menu = Find<QuickMenu>(&form, "OutlookBar");
    auto* selector = Find<QToolButton>(&form, "QmenuSelector");

    menu->UpdateMenuHover(0);  // over the selected item
    QVERIFY(!selector->isVisible());
    menu->UpdateMenuHover(6);
    QVERIFY(selector->isVisible());
    QCOMPARE(selector->y(), menu->MarkTop(6));
    QCOMPARE(selector->toolTip(), QStringLiteral("Feedback"));

    // Clicking the hover button selects the item under it.
    QTest::mouseClick(selector, Qt::LeftButton);
    QCOMPARE(VisiblePanels(&form), QStringLiteral("picFeedback"));
    QVERIFY(!selector->isVisible());

    // Pointer far below the window but close to its left edge: the button stays.
    menu->UpdateMenuHover(2);
    const int left = form.frameGeometry().x();
    menu->CursorPosition = [left] { return QPoint(left + 60, 5000); };
    menu->tmrQuickMenu_Timer();
    QVERIFY(selector->isVisible());
    menu->CursorPosition = [left] { return QPoint(left + 61, 100); };
    menu->tmrQuickMenu_Timer();
    QVERIFY(!selector->isVisible());

    // A real pointer move raises it too.
    QTest::mouseMove(Item(&form, 4), QPoint(10, 10));
    QTRY_COMPARE(menu->HoverIndex(), 4);

    // A disabled item (Compare during a run) raises none, and takes down the one shown.
    menu->SetItemEnabled(1, false);
    menu->UpdateMenuHover(1);
    QVERIFY(!selector->isVisible());
    QCOMPARE(menu->HoverIndex(), 4);
    menu->SetItemEnabled(1, true);
    menu->UpdateMenuHover(1);
    QVERIFY(selector->isVisible());
  }
};

QTEST_MAIN(MainformTest)
#include "mainform_test.moc"
