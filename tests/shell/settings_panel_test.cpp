#include "shell/settings_panel.h"

#include <QCheckBox>
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

// Every governed control that is disabled, by name.
QStringList DisabledControls(QWidget* form) {
  QStringList names;
  for (const QString& name : kChangeDependents + kSkipControls + kFtpControls)
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

  void storedStatesAreShownAndLoadingWritesNothing() {
    const QByteArray stored =
        "[Main]\r\nCheckForChanges=2\r\nCompareSize=0\r\nKillExtra=2\r\nReportDeleted=2\r\n"
        "LaunchFTP=1\r\nFTPPath=/opt/ftp/bin/client\r\n";
    WriteFile(SettingsFile(), stored);
    WriteFile(SkipFile(), "thumbs.db\r\nnotes.txt");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();

    QCOMPARE(
        PanelLines(&form),
        QStringList({"CheckForChanges=2", "CompareDate=1", "CompareSize=0", "CreateUploadsDir=1",
                     "FTPPath=/opt/ftp/bin/client", "KillDeleted=1", "KillExtra=2", "LaunchFTP=1",
                     "ReportChanges=1", "ReportDeleted=2", "KeepUsedFiles=0"}));
    QCOMPARE(Find<QCheckBox>(&form, "chkReportDeleted")->checkState(), Qt::PartiallyChecked);
    // Greyed counts as on for the boxes that govern others.
    QCOMPARE(DisabledControls(&form), QStringList());
    QCOMPARE(Items(&form), QStringList({"thumbs.db", "notes.txt"}));
    QCOMPARE(Settings(&form).SkipList(), std::vector<std::string>({"thumbs.db", "notes.txt"}));
    QCOMPARE(Settings(&form).CurrentOptions().ReportDeleted, 2);
    QCOMPARE(Settings(&form).CurrentOptions().FTPPath, std::string("/opt/ftp/bin/client"));
    QCOMPARE(ReadAll(SettingsFile()), stored);

    // A click never produces grey: from greyed it goes to checked, then off.
    form.SelectQuickMenuItem(2);
    for (const char* expected : {"CheckForChanges=1", "CheckForChanges=0", "CheckForChanges=1"}) {
      Click(form, "chkCheckForChanges");
      QCOMPARE(StoredLines(SettingsFile()).first(), QString::fromLatin1(expected));
    }
  }

  // Which rows the rules give is the core's; here, that a click applies them to the controls
  // and saves at once.
  void clicksApplyTheInterlocksAndSave() {
    WriteFile(SkipFile(), "a.txt\r\n");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);
    QCOMPARE(DisabledControls(&form), kFtpControls);
    QVERIFY(!QFile::exists(SettingsFile()));
    const std::pair<const char*, QStringList> rows[] = {
        {"chkCheckForChanges", kChangeDependents + kSkipControls + kFtpControls},
        {"chkCheckForChanges", kFtpControls},
        {"chkKillExtra", kSkipControls + kFtpControls},
        {"chkLaunchFTP", kSkipControls},
        {"chkCompareDates", kSkipControls},
    };
    for (const auto& [box, disabled] : rows) {
      Click(form, box);
      QCOMPARE(DisabledControls(&form), disabled);
      QCOMPARE(StoredLines(SettingsFile()), PanelLines(&form));
      // The marks are kept while their boxes are greyed.
      if (&box == &rows[0].first) QVERIFY(StoredLines(SettingsFile()).contains("CompareDate=1"));
    }
    QCOMPARE(Settings(&form).CurrentOptions().CompareDate, 0);
    QCOMPARE(Settings(&form).CurrentOptions().LaunchFTP, 1);
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
    // The FTP client each finished run starts.
    const auto convert = [&] {
      form.SelectQuickMenuItem(0);
      SetFolders(&form, web, web + "-FTP");
      Click(form, "cmdConvertStart");
      WaitForRun(&form);
      form.SelectQuickMenuItem(2);
      return services_.programs;
    };
    const auto stored = [&] {
      return StoredLines(SettingsFile()).filter(QRegularExpression("^FTPPath=")).value(0);
    };

    Click(form, "cmdLaunchFTP");
    QCOMPARE(stored(), QStringLiteral("FTPPath=/opt/ftp client/bin/ftp"));
    QCOMPARE(convert(), QStringList{"/opt/ftp client/bin/ftp"});

    // Typed, the path waits for Save Changes.
    field->clear();
    QTest::keyClicks(field, "/usr/bin/typed");
    QCOMPARE(Settings(&form).CurrentOptions().FTPPath, std::string("/opt/ftp client/bin/ftp"));
    QCOMPARE(stored(), QStringLiteral("FTPPath=/opt/ftp client/bin/ftp"));
    Click(form, "cmdSaveSettings");
    QCOMPARE(stored(), QStringLiteral("FTPPath=/usr/bin/typed"));
    QCOMPARE(convert().last(), QStringLiteral("/usr/bin/typed"));

    // A cancelled dialog empties the path, and that is saved too; with no path nothing starts.
    Click(form, "cmdLaunchFTP");
    QVERIFY(field->text().isEmpty());
    QCOMPARE(stored(), QStringLiteral("FTPPath="));
    QCOMPARE(convert().size(), 2);
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
    WriteFile(SkipFile(), "a.txt\r\nb.txt");
    Click(form, "cmdKillExtraEdit");
    QVERIFY(Items(&form).isEmpty());
    QCOMPARE(ReadAll(SkipFile()), QByteArray("a.txt\r\nb.txt"));
    Click(form, "cmdKillExtraRefresh");
    QCOMPARE(Items(&form), QStringList({"a.txt", "b.txt"}));
    QCOMPARE(Settings(&form).SkipList(), std::vector<std::string>({"a.txt", "b.txt"}));
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
    SetFolders(&form, web, site);
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
  }
};

QTEST_MAIN(SettingsPanelTest)
#include "settings_panel_test.moc"
