#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "shell/main_module.h"
#include "shell/quick_menu.h"
#include "shell/single_instance.h"
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

  void osNameFollowsVersion() {
    // Platform id, major, minor version, name.
    const std::tuple<int, int, int, const char*> rows[] = {
        {0, 3, 10, "Win 3.1"}, {1, 4, 10, "Win 9x"}, {2, 4, 0, "NT 4"},    {2, 4, 1, "Win NT"},
        {2, 5, 0, "Win 2000"}, {2, 5, 1, "Win XP"},  {2, 3, 51, "Win NT"}, {2, 5, 2, "Win NT"},
        {2, 6, 0, "Win NT"},   {2, 10, 0, "Win NT"}, {3, 5, 0, "Unknown"}, {-1, 5, 1, "Unknown"}};
    for (const auto& [platform, major, minor, name] : rows)
      QCOMPARE(tarnwick::DetectOSVersion(platform, major, minor), std::string(name));
#ifndef _WIN32
    // Without the version query of Windows.
    tarnwick::OSName.clear();
    tarnwick::DetectOSVersion();
    QCOMPARE(QString::fromStdString(tarnwick::OSName), QStringLiteral("Unknown"));
#endif
  }

  // A second start is refused with the message while the first keeps running.
  void secondInstanceIsRefused() {
    const QString exe = qEnvironmentVariable("TARNWICK_EXE");
    if (exe.isEmpty() || !QFileInfo::exists(exe)) QSKIP("TARNWICK_EXE not given");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());

    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TARNWICK_PROGRAM_DIR", folder.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    first.setProcessEnvironment(env);
    first.start(exe, {});
    QVERIFY(first.waitForStarted(10000));
    const QString lockPath = tarnwick::SingleInstance::LockFilePath(folder.path());
    QDeadlineTimer deadline(15000);
    while (!QFileInfo::exists(lockPath) && !deadline.hasExpired()) QTest::qWait(50);
    QVERIFY2(QFileInfo::exists(lockPath), "the first instance did not take the lock");

    const int code = tarnwick::Main(services_, folder.path());
    QCOMPARE(code, 0);
    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].icon, QMessageBox::Warning);
    QCOMPARE(services_.messages[0].title, QStringLiteral("Already Running"));
    QCOMPARE(services_.messages[0].text,
             QStringLiteral("Another Instance of Tarnwick is already running."));
    QVERIFY(QApplication::topLevelWidgets().isEmpty());

    QTest::qWait(300);
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished(10000);
  }

  void lockOfDeadProcessIsTakenOver() {
    QTemporaryDir folder;
    // A lock whose holder is gone: a process that has already ended.
    QProcess gone;
    gone.start(QStringLiteral("sleep"), {QStringLiteral("0")});
    QVERIFY(gone.waitForStarted());
    const qint64 pid = gone.processId();
    QVERIFY(gone.waitForFinished());
    WriteFile(
        tarnwick::SingleInstance::LockFilePath(folder.path()),
        QByteArray::number(pid) + "\ntarnwick\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    tarnwick::SingleInstance instance(folder.path());
    QVERIFY(tarnwick::ClaimSingleInstance(instance, services_));
    QVERIFY(services_.messages.isEmpty());
  }

  // Without a folder for its files the window says so instead of writing where it started.
  void noProgramFolderIsReported() {
    QCOMPARE(tarnwick::Main(services_, QString()), 1);
    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].text, QString::fromUtf8(tarnwick::kNoProgramFolderMessage));
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    QVERIFY(!QFileInfo::exists(QStringLiteral("tarnwick.lock")));
  }
};

QTEST_MAIN(MainformTest)
#include "mainform_test.moc"
