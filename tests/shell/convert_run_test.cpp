#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/convert_panel.h"
#include "shell/folder_list.h"
#include "support/gated_file_system.h"
#include "support/probe_form.h"
#include "support/recording_services.h"

using tarnwick::ConvertPanel;
using tarnwick::FolderList;
using namespace tarnwick::testing;

namespace {

// A small FrontPage web: two pages, a picture, and the editor's own folders.
void MakeWeb(const QString& root) {
  WriteFile(root + "/index.htm", "<html>home</html>");
  WriteFile(root + "/images/logo.gif", "GIF89a");
  WriteFile(root + "/_vti_cnf/index.htm", "vti");
  WriteFile(root + "/_private/form.txt", "private");
}

// Starts the run and waits for its end.
void Start(QWidget* form) {
  QTest::mouseClick(Find<QPushButton>(form, "cmdConvertStart"), Qt::LeftButton);
  WaitForRun(form);
}

}  // namespace

class ConvertRunTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir programFolder_;
  QTemporaryDir work_;
  RecordingServices services_;

 private slots:
  void init() {
    services_ = RecordingServices();
    QFile::remove(programFolder_.filePath("settings.db"));
  }

  void runFromThePanel() {
    const QString source = work_.filePath("run/Web");
    const QString destination = work_.filePath("run/Site");
    MakeWeb(source);
    WriteFile(source + "/about.htm", "<a href=\"gone.htm\">x</a>\n<img src=\"Images/Logo.gif\">");
    WriteFile(source + "/changes.ini", "[Notes]\r\n");  // not copied over the FTP web's log
    // A read-only copy in the FTP web cannot be replaced.
    WriteFile(destination + "/index.htm", "old");
    QFile::setPermissions(destination + "/index.htm", QFile::ReadOwner | QFile::ReadGroup);
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    SetFolders(&form, source, destination);
    auto* panel = Find<ConvertPanel>(&form, "picConvert");
    const char* const starters[] = {"cmdConvertStart", "imgConvert", "lblConvert", "txtConvertFrom",
                                    "txtConvertTo",    "drvConvert", "dirConvert", "cmdCompare"};
    QStringList enabledDuring;
    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    // Running until its end has come back to the window.
    QVERIFY(panel->Running());
    for (const char* name : starters)
      if (Find(&form, name)->isEnabled()) enabledDuring << name;
    if (Item(&form, 1)->isEnabled()) enabledDuring << "Compare";
    // A second click, or the Compare item, while running starts nothing; the Compare button
    // is among the controls disabled.
    Find<QPushButton>(&form, "cmdConvertStart")->click();
    form.SelectQuickMenuItem(1);
    WaitForRun(&form);
    QCOMPARE(enabledDuring, QStringList());
    QCOMPARE(form.compareBuilds, 0);

    QVERIFY(QFile::exists(destination + "/images/logo.gif"));
    auto* status = Find<QLabel>(&form, "lblConvert");
    QCOMPARE(status->text(), QString::fromLatin1(ConvertPanel::kReportLink));
    for (const char* name : starters) QVERIFY2(Find(&form, name)->isEnabled(), name);
    QVERIFY(Item(&form, 1)->isEnabled());
    // The work list, a line that tells of the web's own changes.ini, then what the site check
    // found in the web.
    auto* results = Find<QListView>(&form, "lstConvertResults")->model();
    QCOMPARE(results->rowCount(), 5);
    QVERIFY(results->index(3, 0).data().toString().contains(source + "/changes.ini is not copied"));
    QCOMPARE(results->index(4, 0).data().toString(),
             QStringLiteral("Site check: 2 problems found that will break on a plain host. See "
                            "the Compare panel."));
    // Failures are told once the run has ended.
    QCOMPARE(services_.messages.size(), 1);
    const QString& text = services_.messages[0].text;
    QVERIFY2(text.startsWith("1 operation failed") && text.contains("index.htm"), qPrintable(text));
    QVERIFY(services_.programs.isEmpty());

    // Remembered: the source leads the recent webs. The browser proposes the "-FTP" default
    // for another folder; entering the source field moves it there and proposes this
    // destination, unless the text names no folder.
    auto* sourceField = Find<QComboBox>(&form, "txtConvertFrom");
    auto* destinationField = Find<QLineEdit>(&form, "txtConvertTo");
    auto* folders = Find<FolderList>(&form, "dirConvert");
    QCOMPARE(sourceField->itemText(0), source);
    QVERIFY(folders->SetPath(work_.path()));
    QCOMPARE(destinationField->text(), QDir::toNativeSeparators(work_.path()) + "-FTP");
    sourceField->setEditText(source);
    panel->txtConvertFrom_GotFocus();
    QCOMPARE(folders->Path(), QDir::toNativeSeparators(source));
    QCOMPARE(destinationField->text(), destination);
    sourceField->setEditText(work_.filePath("none"));
    panel->txtConvertFrom_GotFocus();
    QCOMPARE(folders->Path(), QDir::toNativeSeparators(source));

    // The link opens the Compare panel and builds the report.
    QTest::mouseClick(status, Qt::LeftButton);
    QVERIFY(Find(&form, "picCompare")->isVisible());
    QCOMPARE(form.compareBuilds, 1);
  }

  void refusalsStartNothing() {
    const QString source = work_.filePath("same/Web");
    MakeWeb(source);
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    // Another spelling of the same folder, made whole as the command line makes it.
    SetFolders(&form, source, source + "/../Web/");
    Start(&form);
    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].icon, QMessageBox::Critical);
    QCOMPARE(services_.messages[0].title, QStringLiteral("Change Destination"));
    QCOMPARE(services_.messages[0].text, QString::fromUtf8(tarnwick::kSameFoldersMessage));
    QVERIFY(Find(&form, "cmdConvertStart")->isEnabled());
    QVERIFY(!QFile::exists(programFolder_.filePath("settings.db")));

    // Other refusals, such as a missing source, are warnings.
    SetFolders(&form, work_.filePath("missing/Web"), work_.filePath("missing/Site"));
    Start(&form);
    QCOMPARE(services_.messages.size(), 2);
    QCOMPARE(services_.messages[1].icon, QMessageBox::Warning);
    QVERIFY(!services_.messages[1].text.isEmpty());
    QVERIFY(!QDir(work_.filePath("missing/Site")).exists());

    // Settings that cannot be read are not replaced by the defaults: not when the run starts,
    // nor when they could not be read as the window was loaded.
    const QString settings = programFolder_.filePath("settings.db");
    QVERIFY(QDir().mkpath(settings));
    ProbeForm unread(services_, programFolder_.path());
    unread.Form_Load();
    SetFolders(&unread, source, work_.filePath("same/Site"));
    Start(&unread);
    QVERIFY(QDir().rmdir(settings));
    Start(&unread);
    QCOMPARE(services_.messages.size(), 4);
    QVERIFY2(services_.messages[2].text.contains(settings), qPrintable(services_.messages[2].text));
    QVERIFY2(services_.messages[3].text.contains("start Tarnwick again"),
             qPrintable(services_.messages[3].text));
    QVERIFY(!QDir(work_.filePath("same/Site")).exists());
  }

  // However long one file takes to copy, the window is the user's meanwhile; a close then
  // waits for that file alone.
  void closingDuringALongCopyFinishesThatFileOnly() {
    const QString source = work_.filePath("long/Web");
    const QString destination = work_.filePath("long/Site");
    MakeWeb(source);
    const QByteArray video(4 << 20, 'v');
    WriteFile(source + "/a-video.mpg", video);
    GatedFileSystem slowDisk("a-video.mpg");
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    SetFolders(&form, source, destination);
    auto* panel = Find<ConvertPanel>(&form, "picConvert");
    panel->SetFileSystem(slowDisk);

    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(slowDisk.Reached(), 60000);
    bool ticked = false;
    QTimer::singleShot(1, &form, [&] { ticked = true; });
    QTRY_VERIFY(ticked);
    QTest::mouseClick(Item(&form, 2), Qt::LeftButton);
    QVERIFY(Find(&form, "picSettings")->isVisible());
    form.close();
    QVERIFY(form.isVisible());  // until the file in progress is done
    slowDisk.Open();
    QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 60000);
    QVERIFY(panel->LastResult().has_value() && panel->LastResult()->cancelled);
    QCOMPARE(services_.endProcessCalls, 1);
    QCOMPARE(ReadAll(destination + "-Uploads/a-video.mpg"), video);
    QCOMPARE(ReadAll(destination + "/a-video.mpg"), video);
    QVERIFY(!QFile::exists(destination + "/index.htm"));
    // Not a finished run: nothing remembered.
    QVERIFY(!QFile::exists(programFolder_.filePath("settings.db")));
  }
};

QTEST_MAIN(ConvertRunTest)
#include "convert_run_test.moc"
