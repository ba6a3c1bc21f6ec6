#include "shell/settings_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/convert_panel.h"
#include "shell/mainform.h"
#include "shell/option_check_box.h"
#include "support/recording_services.h"

using tarnwick::Mainform;
using tarnwick::OptionCheckBox;
using tarnwick::SettingsPanel;
using namespace tarnwick::testing;

namespace {

const QStringList kChangeDependents = {
    "chkCompareDates",  "chkCompareSizes",     "chkCreateUploadsDir", "chkKillDeleted",
    "chkKillExtra",     "chkReportChanges",    "chkReportDeleted",    "lblCompareDates",
    "lblCompareSizes",  "lblCreateUploadsDir", "lblKillDeleted",      "lblKillExtra",
    "lblReportChanges", "lblReportDeleted"};
const QStringList kSkipControls = {"lstKillExtra", "cmdKillExtraEdit", "cmdKillExtraRefresh"};
const QStringList kFtpControls = {"txtLaunchFTP", "cmdLaunchFTP"};
const QStringList kUngoverned = {"chkCheckForChanges", "lblCheckForChanges", "chkLaunchFTP",
                                 "lblLaunchFTP",       "chkKeepUsedFiles",   "lblKeepUsedFiles",
                                 "cmdSaveSettings"};

// What the panel shows, as the lines of section "Main" should hold it.
QStringList PanelLines(QWidget* form) {
  QStringList lines;
  for (const tarnwick::OptionDescriptor& option : tarnwick::kOptionTable) {
    const QString value = option.state
                              ? QString::number(Find<OptionCheckBox>(form, option.control)->State())
                              : Find<QLineEdit>(form, option.control)->text();
    lines << QStringLiteral("%1=%2").arg(QString::fromLatin1(option.key), value);
  }
  return lines;
}

// The lines of section "Main", which a new file holds first.
QStringList StoredLines(const QString& path) {
  QStringList lines = QString::fromUtf8(ReadAll(path)).split(QStringLiteral("\r\n"));
  if (lines.takeFirst() != QStringLiteral("[Main]")) return {"(no section)"};
  QStringList main;
  for (const QString& line : lines) {
    if (line.isEmpty() || line.startsWith('[')) break;
    main << line;
  }
  return main;
}

// Every governed and ungoverned control that is disabled, by name.
QStringList DisabledControls(QWidget* form) {
  QStringList names;
  for (const QString& name : kChangeDependents + kSkipControls + kFtpControls + kUngoverned)
    if (!Find(form, name.toLatin1().constData())->isEnabled()) names << name;
  return names;
}

const SettingsPanel& Settings(QWidget* form) { return *Find<SettingsPanel>(form, "picSettings"); }

QStringList Items(QWidget* form) {
  auto* list = Find<QListWidget>(form, "lstKillExtra");
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

}  // namespace

class SettingsPanelTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir programFolder_;
  QTemporaryDir work_;
  RecordingServices services_;

  QString SettingsFile() const { return programFolder_.filePath("settings.db"); }
  QString SkipFile() const { return programFolder_.filePath("extras.db"); }

  void Click(Mainform& form, const char* name) {
    QTest::mouseClick(Find<QAbstractButton>(&form, name), Qt::LeftButton);
  }

 private slots:
  void init() {
    services_ = RecordingServices();
    QFile::remove(SettingsFile());
    QFile::remove(SkipFile());
  }

  void firstStartShowsDefaultsAndWritesNothing() {
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);
    QCOMPARE(PanelLines(&form),
             QStringList({"CheckForChanges=1", "CompareDate=1", "CompareSize=1",
                          "CreateUploadsDir=1", "FTPPath=", "KillDeleted=1", "KillExtra=1",
                          "LaunchFTP=0", "ReportChanges=1", "ReportDeleted=1", "KeepUsedFiles=0"}));
    QCOMPARE(DisabledControls(&form), kFtpControls);
    QVERIFY(Items(&form).isEmpty());
    QVERIFY(!QFile::exists(SettingsFile()));
    QVERIFY(!QFile::exists(SkipFile()));

    // Save Changes writes exactly the keys in their order; the one added last is off.
    Click(form, "cmdSaveSettings");
    QCOMPARE(ReadAll(SettingsFile()),
             QByteArray("[Main]\r\nCheckForChanges=1\r\nCompareDate=1\r\nCompareSize=1\r\n"
                        "CreateUploadsDir=1\r\nFTPPath=\r\nKillDeleted=1\r\nKillExtra=1\r\n"
                        "LaunchFTP=0\r\nReportChanges=1\r\nReportDeleted=1\r\n"
                        "KeepUsedFiles=0\r\n"));
  }

  void storedStatesShownWithDependentsDisabled() {
    // Damaged values take their defaults; the keys after them still load.
    const QByteArray stored =
        "[Main]\r\nCheckForChanges=0\r\nCompareDate=\r\nCompareSize=0\r\nKillDeleted=7\r\n"
        "KillExtra=1\r\nReportDeleted=2\r\nLaunchFTP=1\r\nFTPPath=/opt/ftp/bin/client\r\n";
    WriteFile(SettingsFile(), stored);
    WriteFile(SkipFile(), "thumbs.db\r\n\r\nnotes.txt");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();

    const QStringList shown = {"CheckForChanges=0",
                               "CompareDate=1",
                               "CompareSize=0",
                               "CreateUploadsDir=1",
                               "FTPPath=/opt/ftp/bin/client",
                               "KillDeleted=1",
                               "KillExtra=1",
                               "LaunchFTP=1",
                               "ReportChanges=1",
                               "ReportDeleted=2",
                               "KeepUsedFiles=0"};
    QCOMPARE(PanelLines(&form), shown);
    QCOMPARE(Find<QCheckBox>(&form, "chkReportDeleted")->checkState(), Qt::PartiallyChecked);
    QCOMPARE(DisabledControls(&form), kChangeDependents + kSkipControls);
    // The skip list is loaded even though its controls are disabled.
    QCOMPARE(Items(&form), QStringList({"thumbs.db", "", "notes.txt"}));
    QCOMPARE(Settings(&form).SkipList(), std::vector<std::string>({"thumbs.db", "", "notes.txt"}));

    const tarnwick::Options expected{.CheckForChanges = 0,
                                     .CompareDate = 1,
                                     .CompareSize = 0,
                                     .CreateUploadsDir = 1,
                                     .FTPPath = "/opt/ftp/bin/client",
                                     .KillDeleted = 1,
                                     .KillExtra = 1,
                                     .LaunchFTP = 1,
                                     .ReportChanges = 1,
                                     .ReportDeleted = 2};
    QVERIFY(Settings(&form).CurrentOptions() == expected);
    QCOMPARE(ReadAll(SettingsFile()), stored);
  }

  void everyInterlockRowByClicking() {
    WriteFile(SkipFile(), "a.txt\r\n");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);
    const QStringList ftp = kFtpControls;
    const QStringList changesOff = kChangeDependents + kSkipControls;
    const std::pair<const char*, QStringList> rows[] = {
        {"chkCheckForChanges", changesOff + ftp},
        {"chkCheckForChanges", ftp},
        {"chkKillExtra", kSkipControls + ftp},
        {"chkCheckForChanges", changesOff + ftp},
        // Back on, the skip list stays off with its own option.
        {"chkCheckForChanges", kSkipControls + ftp},
        {"chkKillExtra", ftp},
        {"chkLaunchFTP", {}},
        // The client path does not depend on the change check.
        {"chkCheckForChanges", changesOff},
        {"chkLaunchFTP", changesOff + ftp},
        {"chkCheckForChanges", ftp},
        {"chkCompareDates", ftp},
        {"chkCompareSizes", ftp},
        {"chkCreateUploadsDir", ftp},
        {"chkKillDeleted", ftp},
        {"chkReportChanges", ftp},
        {"chkReportDeleted", ftp},
        // Keeping what pages use is governed by nothing.
        {"chkKeepUsedFiles", ftp},
    };
    for (const auto& [box, disabled] : rows) {
      Click(form, box);
      QCOMPARE(DisabledControls(&form), disabled);
      QCOMPARE(StoredLines(SettingsFile()), PanelLines(&form));
      // The marks are kept while their boxes are greyed.
      if (&box == &rows[0].first) QVERIFY(StoredLines(SettingsFile()).contains("CompareDate=1"));
    }
    QCOMPARE(StoredLines(SettingsFile()),
             QStringList({"CheckForChanges=1", "CompareDate=0", "CompareSize=0",
                          "CreateUploadsDir=0", "FTPPath=", "KillDeleted=0", "KillExtra=1",
                          "LaunchFTP=0", "ReportChanges=0", "ReportDeleted=0", "KeepUsedFiles=1"}));
    QCOMPARE(Settings(&form).CurrentOptions().ReportDeleted, 0);
    QVERIFY(services_.messages.isEmpty());
  }

  void greyedCountsAsOnAndIsSavedBack() {
    WriteFile(SettingsFile(), "[Main]\r\nCheckForChanges=2\r\nKillExtra=2\r\n");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);
    QCOMPARE(DisabledControls(&form), kFtpControls);
    Click(form, "chkCompareDates");
    // Keys already in the file are replaced where they stand.
    QCOMPARE(StoredLines(SettingsFile()).mid(0, 2),
             QStringList({"CheckForChanges=2", "KillExtra=2"}));
    QCOMPARE(StoredLines(SettingsFile()).size(), 11);
    // A click never produces grey: from greyed it goes to checked, then off.
    for (const char* expected : {"CheckForChanges=1", "CheckForChanges=0", "CheckForChanges=1"}) {
      Click(form, "chkCheckForChanges");
      QCOMPARE(StoredLines(SettingsFile()).first(), QString::fromLatin1(expected));
    }
  }

  void browsedPathActsAtOnceTypedPathAfterSaving() {
    const QString web = work_.filePath("browse/Web");
    WriteFile(web + "/index.htm", "home");
    WriteFile(SettingsFile(), "[Main]\r\nLaunchFTP=1\r\n");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);
    QStringList answers{"/opt/ftp client/bin/ftp", ""};
    Find<SettingsPanel>(&form, "picSettings")->FileChooser = [&](QWidget*) {
      return answers.takeFirst();
    };
    auto* field = Find<QLineEdit>(&form, "txtLaunchFTP");
    const auto convert = [&] {
      form.SelectQuickMenuItem(0);
      Find<QComboBox>(&form, "txtConvertFrom")->setEditText(web);
      Find<QLineEdit>(&form, "txtConvertTo")->setText(web + "-FTP");
      Click(form, "cmdConvertStart");
      WaitForRun(&form);
      form.SelectQuickMenuItem(2);
      return services_.programs.last();
    };
    const auto stored = [&] {
      return StoredLines(SettingsFile()).filter(QRegularExpression("^FTPPath=")).value(0);
    };

    Click(form, "cmdLaunchFTP");
    QCOMPARE(field->text(), QStringLiteral("/opt/ftp client/bin/ftp"));
    QCOMPARE(stored(), QStringLiteral("FTPPath=/opt/ftp client/bin/ftp"));
    QCOMPARE(convert(), QStringLiteral("/opt/ftp client/bin/ftp"));

    // Typed, the path waits for Save Changes.
    field->clear();
    QTest::keyClicks(field, "/usr/bin/typed");
    QCOMPARE(convert(), QStringLiteral("/opt/ftp client/bin/ftp"));
    QCOMPARE(stored(), QStringLiteral("FTPPath=/opt/ftp client/bin/ftp"));
    Click(form, "cmdSaveSettings");
    QCOMPARE(stored(), QStringLiteral("FTPPath=/usr/bin/typed"));
    QCOMPARE(convert(), QStringLiteral("/usr/bin/typed"));
    QCOMPARE(services_.programs.size(), 3);

    // A cancelled dialog empties the path, and that is saved too.
    Click(form, "cmdLaunchFTP");
    QVERIFY(field->text().isEmpty());
    QCOMPARE(stored(), QStringLiteral("FTPPath="));
    QVERIFY(Settings(&form).CurrentOptions().FTPPath.empty());
    // With no path nothing is started.
    convert();
    QCOMPARE(services_.programs.size(), 3);
  }

  void editOpensTheFileAndRefreshReloadsIt() {
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);

    Click(form, "cmdKillExtraEdit");
    QCOMPARE(services_.editedFiles, QStringList{SkipFile()});
    QCOMPARE(ReadAll(SkipFile()), QByteArray());

    // The user saves in the editor; the list changes only with Refresh, and Edit again
    // leaves the file alone.
    WriteFile(SkipFile(), "a.txt\r\n\r\nb.txt\rc\nd\r\n");
    Click(form, "cmdKillExtraEdit");
    QVERIFY(Items(&form).isEmpty());
    QCOMPARE(ReadAll(SkipFile()), QByteArray("a.txt\r\n\r\nb.txt\rc\nd\r\n"));
    Click(form, "cmdKillExtraRefresh");
    QCOMPARE(Items(&form), QStringList({"a.txt", "", "b.txt", "c", "d"}));
    QCOMPARE(Settings(&form).SkipList(),
             std::vector<std::string>({"a.txt", "", "b.txt", "c", "d"}));
    QVERIFY(!QFile::exists(SettingsFile()));

    // Without an editor the user is told, and the panel goes on working.
    services_.editorMissing = true;
    Click(form, "cmdKillExtraEdit");
    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].title, QString::fromLatin1(SettingsPanel::kEditorTitle));
    QVERIFY(services_.messages[0].text.contains(QDir::toNativeSeparators(SkipFile())));
    QFile::remove(SkipFile());
    Click(form, "cmdKillExtraRefresh");
    QVERIFY(Items(&form).isEmpty());
  }

  void runKeepsTheOptionsItStartedWith() {
    const QString web = work_.filePath("run/Web");
    const QString site = work_.filePath("run/Site");
    WriteFile(web + "/skip.txt", "not for the site");
    for (int i = 0; i < 1500; ++i)
      WriteFile(web + QStringLiteral("/pages/p%1.htm").arg(i), QByteArray(100, 'x'));
    WriteFile(SkipFile(), "skip.txt\r\n");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    Find<QComboBox>(&form, "txtConvertFrom")->setEditText(web);
    Find<QLineEdit>(&form, "txtConvertTo")->setText(site);
    Click(form, "cmdConvertStart");
    // The panel stays usable during a run; the run keeps what it took at its start.
    form.SelectQuickMenuItem(2);
    WriteFile(SkipFile(), "");
    Click(form, "cmdKillExtraRefresh");
    Click(form, "chkKillExtra");
    Click(form, "chkCheckForChanges");
    WaitForRun(&form);
    QVERIFY(!QFile::exists(site + "/skip.txt"));
    QVERIFY(QFile::exists(site + "/pages/p0.htm"));
    // The changes are in effect for the next run.
    QVERIFY(Settings(&form).SkipList().empty());
    QCOMPARE(Settings(&form).CurrentOptions().CheckForChanges, 0);
    QCOMPARE(Settings(&form).CurrentOptions().KillExtra, 0);
    QCOMPARE(StoredLines(SettingsFile()), PanelLines(&form));
  }
};

QTEST_MAIN(SettingsPanelTest)
#include "settings_panel_test.moc"
