#include "shell/settings_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "shell/convert_panel.h"
#include "shell/mainform.h"
#include "shell/option_check_box.h"
#include "support/recording_services.h"

using tarnwick::Mainform;
using tarnwick::OptionCheckBox;
using tarnwick::SettingsPanel;
using tarnwick::testing::RecordingServices;
using tarnwick::testing::WriteFile;

namespace {

template <typename T>
T* Find(QWidget* form, const char* name) {
  T* widget = form->findChild<T*>(QString::fromLatin1(name));
  if (!widget) qFatal("no widget %s", name);
  return widget;
}

// The stored keys in their written order, each with its box (none for the path).
const std::pair<const char*, const char*> kKeys[] = {
    {"CheckForChanges", "chkCheckForChanges"},
    {"CompareDate", "chkCompareDates"},
    {"CompareSize", "chkCompareSizes"},
    {"CreateUploadsDir", "chkCreateUploadsDir"},
    {"FTPPath", nullptr},
    {"KillDeleted", "chkKillDeleted"},
    {"KillExtra", "chkKillExtra"},
    {"LaunchFTP", "chkLaunchFTP"},
    {"ReportChanges", "chkReportChanges"},
    {"ReportDeleted", "chkReportDeleted"},
};

const char* const kChangeDependents[] = {
    "chkCompareDates",  "chkCompareSizes",     "chkCreateUploadsDir", "chkKillDeleted",
    "chkKillExtra",     "chkReportChanges",    "chkReportDeleted",    "lblCompareDates",
    "lblCompareSizes",  "lblCreateUploadsDir", "lblKillDeleted",      "lblKillExtra",
    "lblReportChanges", "lblReportDeleted"};
const char* const kSkipControls[] = {"lstKillExtra", "cmdKillExtraEdit", "cmdKillExtraRefresh"};
const char* const kFtpControls[] = {"txtLaunchFTP", "cmdLaunchFTP"};
const char* const kUngoverned[] = {"chkCheckForChanges", "lblCheckForChanges", "chkLaunchFTP",
                                   "lblLaunchFTP", "cmdSaveSettings"};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// What the panel shows, as the lines of section "Main" should hold it.
QStringList PanelLines(QWidget* form) {
  QStringList lines;
  for (const auto& [key, box] : kKeys) {
    const QString value = box ? QString::number(Find<OptionCheckBox>(form, box)->State())
                              : Find<QLineEdit>(form, "txtLaunchFTP")->text();
    lines << QStringLiteral("%1=%2").arg(QString::fromLatin1(key), value);
  }
  return lines;
}

// The lines of section "Main", which a new file holds first.
QStringList StoredLines(const QString& path) {
  QStringList lines = QString::fromUtf8(ReadAll(path)).split(QStringLiteral("\r\n"));
  if (lines.isEmpty() || lines.takeFirst() != QStringLiteral("[Main]")) return {"(no section)"};
  QStringList main;
  for (const QString& line : lines) {
    if (line.isEmpty() || line.startsWith('[')) break;
    main << line;
  }
  return main;
}

QStringList Disabled(QWidget* form, std::initializer_list<const char* const*> groups,
                     std::initializer_list<std::size_t> sizes) {
  QStringList names;
  auto size = sizes.begin();
  for (const char* const* group : groups) {
    for (std::size_t i = 0; i < *size; ++i)
      if (!Find<QWidget>(form, group[i])->isEnabled()) names << QString::fromLatin1(group[i]);
    ++size;
  }
  return names;
}

// Every governed and ungoverned control that is disabled, by name.
QStringList DisabledControls(QWidget* form) {
  return Disabled(form, {kChangeDependents, kSkipControls, kFtpControls, kUngoverned},
                  {std::size(kChangeDependents), std::size(kSkipControls), std::size(kFtpControls),
                   std::size(kUngoverned)});
}

QStringList Names(std::initializer_list<const char* const*> groups,
                  std::initializer_list<std::size_t> sizes) {
  QStringList names;
  auto size = sizes.begin();
  for (const char* const* group : groups) {
    for (std::size_t i = 0; i < *size; ++i) names << QString::fromLatin1(group[i]);
    ++size;
  }
  return names;
}

QStringList Items(QListWidget* list) {
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
    for (const auto& [key, box] : kKeys) {
      if (!box) continue;
      const Qt::CheckState expected = QByteArray(key) == "LaunchFTP" ? Qt::Unchecked : Qt::Checked;
      QCOMPARE(Find<QCheckBox>(&form, box)->checkState(), expected);
      QVERIFY(Find<QCheckBox>(&form, box)->text().isEmpty());
    }
    QVERIFY(Find<QLineEdit>(&form, "txtLaunchFTP")->text().isEmpty());
    QCOMPARE(DisabledControls(&form), QStringList({"txtLaunchFTP", "cmdLaunchFTP"}));
    QVERIFY(Find<QListWidget>(&form, "lstKillExtra")->count() == 0);
    QVERIFY(!QFile::exists(SettingsFile()));
    QVERIFY(!QFile::exists(SkipFile()));

    QCOMPARE(Find<QLabel>(&form, "lblCreateUploadsDir")->text(),
             QStringLiteral("Create directory structure for changes files"));
    QCOMPARE(Find<QLabel>(&form, "lblCheckForChanges")->text(),
             QStringLiteral("Check for Files Changes"));
    QCOMPARE(Find<QPushButton>(&form, "cmdSaveSettings")->text(), QStringLiteral("Save Changes"));
    QCOMPARE(Find<QPushButton>(&form, "cmdGetNewTicker")->text(),
             QStringLiteral("Update News Ticker Now"));

    // Save Changes writes exactly the ten keys in their order.
    Click(form, "cmdSaveSettings");
    QCOMPARE(ReadAll(SettingsFile()),
             QByteArray("[Main]\r\nCheckForChanges=1\r\nCompareDate=1\r\nCompareSize=1\r\n"
                        "CreateUploadsDir=1\r\nFTPPath=\r\nKillDeleted=1\r\nKillExtra=1\r\n"
                        "LaunchFTP=0\r\nReportChanges=1\r\nReportDeleted=1\r\n"));
  }

  void storedStatesShownWithDependentsDisabled() {
    const QByteArray stored =
        "[Main]\r\nCheckForChanges=0\r\nCompareDate=0\r\nCompareSize=1\r\nKillExtra=1\r\n"
        "ReportDeleted=2\r\nLaunchFTP=1\r\nFTPPath=/opt/ftp/bin/client\r\n";
    WriteFile(SettingsFile(), stored);
    WriteFile(SkipFile(), "thumbs.db\r\n\r\nnotes.txt");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();

    QCOMPARE(Find<QCheckBox>(&form, "chkCheckForChanges")->checkState(), Qt::Unchecked);
    QCOMPARE(Find<QCheckBox>(&form, "chkCompareDates")->checkState(), Qt::Unchecked);
    QCOMPARE(Find<QCheckBox>(&form, "chkCompareSizes")->checkState(), Qt::Checked);
    QCOMPARE(Find<QCheckBox>(&form, "chkKillExtra")->checkState(), Qt::Checked);
    QCOMPARE(Find<QCheckBox>(&form, "chkReportDeleted")->checkState(), Qt::PartiallyChecked);
    QCOMPARE(Find<QCheckBox>(&form, "chkLaunchFTP")->checkState(), Qt::Checked);
    QCOMPARE(Find<QLineEdit>(&form, "txtLaunchFTP")->text(), QStringLiteral("/opt/ftp/bin/client"));
    QCOMPARE(DisabledControls(&form),
             Names({kChangeDependents, kSkipControls},
                   {std::size(kChangeDependents), std::size(kSkipControls)}));

    // The skip list is loaded even though its controls are disabled.
    QCOMPARE(Items(Find<QListWidget>(&form, "lstKillExtra")),
             QStringList({"thumbs.db", "", "notes.txt"}));
    QCOMPARE(form.SkipList, std::vector<std::string>({"thumbs.db", "", "notes.txt"}));

    tarnwick::Options expected;
    expected.CompareSize = 1;
    expected.CreateUploadsDir = 1;
    expected.FTPPath = "/opt/ftp/bin/client";
    expected.KillDeleted = 1;
    expected.KillExtra = 1;
    expected.LaunchFTP = 1;
    expected.ReportChanges = 1;
    expected.ReportDeleted = 2;
    QVERIFY(form.LoadedOptions == expected);
    QCOMPARE(ReadAll(SettingsFile()), stored);
  }

  void damagedValuesTakeTheirDefaults() {
    WriteFile(SettingsFile(),
              "[Main]\r\nCheckForChanges=1\r\nCompareDate=\r\nCompareSize=0\r\nKillDeleted=7\r\n"
              "KillExtra=1\r\nReportDeleted=0\r\n");
    WriteFile(SkipFile(), "a.txt\r\n");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    QVERIFY(Find<QCheckBox>(&form, "chkCompareDates")->isChecked());
    QVERIFY(!Find<QCheckBox>(&form, "chkCompareSizes")->isChecked());
    QVERIFY(Find<QCheckBox>(&form, "chkKillDeleted")->isChecked());
    // The keys after the damaged ones are still loaded, and the skip list too.
    QVERIFY(!Find<QCheckBox>(&form, "chkReportDeleted")->isChecked());
    QCOMPARE(form.LoadedOptions.ReportDeleted, 0);
    QCOMPARE(form.LoadedOptions.CompareDate, 1);
    QCOMPARE(Items(Find<QListWidget>(&form, "lstKillExtra")), QStringList{"a.txt"});
  }

  void everyInterlockRowByClicking() {
    WriteFile(SkipFile(), "a.txt\r\n");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);
    const QStringList ftpOnly{"txtLaunchFTP", "cmdLaunchFTP"};
    const QStringList changesOff = Names({kChangeDependents, kSkipControls},
                                         {std::size(kChangeDependents), std::size(kSkipControls)});
    const auto clickAndCheck = [&](const char* box, const QStringList& disabled) {
      Click(form, box);
      QCOMPARE(DisabledControls(&form), disabled);
      QCOMPARE(StoredLines(SettingsFile()), PanelLines(&form));
    };

    clickAndCheck("chkCheckForChanges", changesOff + ftpOnly);
    // The marks are kept while their boxes are greyed.
    QCOMPARE(
        StoredLines(SettingsFile()).mid(0, 4),
        QStringList({"CheckForChanges=0", "CompareDate=1", "CompareSize=1", "CreateUploadsDir=1"}));
    clickAndCheck("chkCheckForChanges", ftpOnly);
    clickAndCheck("chkKillExtra", Names({kSkipControls}, {std::size(kSkipControls)}) + ftpOnly);
    clickAndCheck("chkCheckForChanges", changesOff + ftpOnly);
    // Back on, the skip list stays off with its own option.
    clickAndCheck("chkCheckForChanges",
                  Names({kSkipControls}, {std::size(kSkipControls)}) + ftpOnly);
    clickAndCheck("chkKillExtra", ftpOnly);
    clickAndCheck("chkLaunchFTP", {});
    // The client path does not depend on the change check.
    clickAndCheck("chkCheckForChanges", changesOff);
    clickAndCheck("chkLaunchFTP", changesOff + ftpOnly);
    clickAndCheck("chkCheckForChanges", ftpOnly);
    for (const char* box : {"chkCompareDates", "chkCompareSizes", "chkCreateUploadsDir",
                            "chkKillDeleted", "chkReportChanges", "chkReportDeleted"}) {
      clickAndCheck(box, ftpOnly);
      QVERIFY(!Find<QCheckBox>(&form, box)->isChecked());
      QCOMPARE(form.LoadedOptions.ReportDeleted,
               Find<OptionCheckBox>(&form, "chkReportDeleted")->State());
    }
    QCOMPARE(StoredLines(SettingsFile()),
             QStringList({"CheckForChanges=1", "CompareDate=0", "CompareSize=0",
                          "CreateUploadsDir=0", "FTPPath=", "KillDeleted=0", "KillExtra=1",
                          "LaunchFTP=0", "ReportChanges=0", "ReportDeleted=0"}));
    QVERIFY(services_.messages.isEmpty());
  }

  void greyedCountsAsOnAndIsSavedBack() {
    WriteFile(SettingsFile(), "[Main]\r\nCheckForChanges=2\r\nKillExtra=2\r\n");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);
    QCOMPARE(DisabledControls(&form), QStringList({"txtLaunchFTP", "cmdLaunchFTP"}));
    Click(form, "chkCompareDates");
    QCOMPARE(StoredLines(SettingsFile()).first(), QStringLiteral("CheckForChanges=2"));
    // Keys already in the file are replaced where they stand.
    QCOMPARE(StoredLines(SettingsFile())[1], QStringLiteral("KillExtra=2"));
    QCOMPARE(StoredLines(SettingsFile()).size(), 10);
    // A click never produces grey: from greyed it goes to checked, then off.
    Click(form, "chkCheckForChanges");
    QCOMPARE(StoredLines(SettingsFile()).first(), QStringLiteral("CheckForChanges=1"));
    Click(form, "chkCheckForChanges");
    QCOMPARE(StoredLines(SettingsFile()).first(), QStringLiteral("CheckForChanges=0"));
    Click(form, "chkCheckForChanges");
    QCOMPARE(StoredLines(SettingsFile()).first(), QStringLiteral("CheckForChanges=1"));
  }

  void browsedPathActsAtOnceTypedPathAfterSaving() {
    const QString web = work_.filePath("browse/Web");
    WriteFile(web + "/index.htm", "home");
    WriteFile(SettingsFile(), "[Main]\r\nLaunchFTP=1\r\n");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);
    auto* panel = Find<SettingsPanel>(&form, "picSettings");
    QStringList answers{"/opt/ftp client/bin/ftp", ""};
    panel->FileChooser = [&](QWidget*) { return answers.takeFirst(); };

    const auto convert = [&] {
      form.SelectQuickMenuItem(0);
      Find<QComboBox>(&form, "txtConvertFrom")->setEditText(web);
      Find<QLineEdit>(&form, "txtConvertTo")->setText(web + "-FTP");
      Click(form, "cmdConvertStart");
      form.SelectQuickMenuItem(2);
    };

    Click(form, "cmdLaunchFTP");
    QCOMPARE(Find<QLineEdit>(&form, "txtLaunchFTP")->text(),
             QStringLiteral("/opt/ftp client/bin/ftp"));
    QVERIFY(StoredLines(SettingsFile()).contains("FTPPath=/opt/ftp client/bin/ftp"));
    convert();
    QCOMPARE(services_.programs, QStringList{"/opt/ftp client/bin/ftp"});

    // Typed, the path waits for Save Changes.
    auto* field = Find<QLineEdit>(&form, "txtLaunchFTP");
    field->clear();
    QTest::keyClicks(field, "/usr/bin/typed");
    convert();
    QCOMPARE(services_.programs.last(), QStringLiteral("/opt/ftp client/bin/ftp"));
    QVERIFY(StoredLines(SettingsFile()).contains("FTPPath=/opt/ftp client/bin/ftp"));
    Click(form, "cmdSaveSettings");
    QVERIFY(StoredLines(SettingsFile()).contains("FTPPath=/usr/bin/typed"));
    convert();
    QCOMPARE(services_.programs.last(), QStringLiteral("/usr/bin/typed"));

    // A cancelled dialog empties the path, and that is saved too.
    Click(form, "cmdLaunchFTP");
    QVERIFY(field->text().isEmpty());
    QVERIFY(StoredLines(SettingsFile()).contains("FTPPath="));
    QVERIFY(form.LoadedOptions.FTPPath.empty());
    QVERIFY(answers.isEmpty());
  }

  void editOpensTheFileAndRefreshReloadsIt() {
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    form.SelectQuickMenuItem(2);
    auto* list = Find<QListWidget>(&form, "lstKillExtra");

    Click(form, "cmdKillExtraEdit");
    QCOMPARE(services_.editedFiles, QStringList{SkipFile()});
    QVERIFY(QFile::exists(SkipFile()));
    QCOMPARE(ReadAll(SkipFile()), QByteArray());

    // The user saves in the editor; the list changes only with Refresh.
    WriteFile(SkipFile(), "a.txt\r\n\r\nb.txt\rc\nd\r\n");
    QCOMPARE(list->count(), 0);
    Click(form, "cmdKillExtraEdit");
    QCOMPARE(list->count(), 0);
    QCOMPARE(ReadAll(SkipFile()), QByteArray("a.txt\r\n\r\nb.txt\rc\nd\r\n"));
    Click(form, "cmdKillExtraRefresh");
    QCOMPARE(Items(list), QStringList({"a.txt", "", "b.txt", "c\nd"}));
    QCOMPARE(form.SkipList, std::vector<std::string>({"a.txt", "", "b.txt", "c\nd"}));

    WriteFile(SkipFile(), "only.txt");
    Click(form, "cmdKillExtraRefresh");
    QCOMPARE(Items(list), QStringList{"only.txt"});
    QVERIFY(services_.messages.isEmpty());
    QVERIFY(!QFile::exists(SettingsFile()));

    // Without an editor the user is told, and the panel goes on working.
    services_.editorMissing = true;
    Click(form, "cmdKillExtraEdit");
    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].title, QString::fromLatin1(SettingsPanel::kEditorTitle));
    QVERIFY(services_.messages[0].text.contains(QDir::toNativeSeparators(SkipFile())));
    QFile::remove(SkipFile());
    Click(form, "cmdKillExtraRefresh");
    QCOMPARE(list->count(), 0);
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
    auto* run = Find<tarnwick::ConvertPanel>(&form, "picConvert");

    bool changed = false;
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, this, [&] {
      if (changed || !run->Running()) return;
      changed = true;
      form.SelectQuickMenuItem(2);  // the Settings panel stays usable during a run
      WriteFile(SkipFile(), "");
      Click(form, "cmdKillExtraRefresh");
      Click(form, "chkKillExtra");
      Click(form, "chkCheckForChanges");
    });
    probe.start();
    Click(form, "cmdConvertStart");
    probe.stop();
    QVERIFY(changed);
    QVERIFY(!QFile::exists(site + "/skip.txt"));
    QVERIFY(QFile::exists(site + "/pages/p0.htm"));
    // The changes are in effect for the next run.
    QVERIFY(form.SkipList.empty());
    QCOMPARE(form.LoadedOptions.CheckForChanges, 0);
    QCOMPARE(form.LoadedOptions.KillExtra, 0);
    QCOMPARE(StoredLines(SettingsFile()), PanelLines(&form));
  }
};

QTEST_MAIN(SettingsPanelTest)
#include "settings_panel_test.moc"
