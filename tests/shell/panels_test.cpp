#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/compare_list.h"
#include "shell/compare_panel.h"
#include "shell/convert_panel.h"
#include "shell/folder_list.h"
#include "shell/main_module.h"
#include "shell/mainform.h"
#include "shell/option_check_box.h"
#include "shell/settings_panel.h"
#include "shell/single_instance.h"
#include "support/gated_file_system.h"
#include "support/probe_form.h"
#include "support/recording_services.h"

using tarnwick::CompareList;
using tarnwick::ComparePanel;
using tarnwick::ConvertPanel;
using tarnwick::FolderList;
using tarnwick::Mainform;
using tarnwick::OptionCheckBox;
using tarnwick::SettingsPanel;
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

// A file of that size that takes no room.
void WriteSparse(const QString& path, qint64 size) {
  WriteFile(path, "");
  QFile file(path);
  if (!file.open(QIODevice::ReadWrite) || !file.resize(size))
    qFatal("cannot size %s", qPrintable(path));
}

// A FrontPage web, its FTP web with the latest log, and the uploads folder with its own log;
// sizes of eleven digits.
struct Trees {
  QString source, destination, uploads;
};

Trees MakeTrees(const QString& root) {
  Trees trees{root + "/Web", root + "/Web-FTP", root + "/Web-FTP-Uploads"};
  WriteSparse(trees.source + "/big.mpg", Q_INT64_C(97639703123));
  QDir().mkpath(trees.source + "/a");
  QDir().mkpath(trees.source + "/_vti_cnf");
  WriteSparse(trees.destination + "/big.mpg", Q_INT64_C(67810539000));
  WriteFile(trees.destination + "/changes.ini", "[Deleted]\r\nold.htm=100\r\ngone.gif=2048\r\n");
  WriteSparse(trees.uploads + "/big.mpg", Q_INT64_C(8000000000));
  WriteFile(trees.uploads + "/sub/x.htm", QByteArray(10, 'x'));
  WriteFile(trees.uploads + "/changes.ini", "[Changed]\r\nbig.mpg=67810539000\r\n");
  return trees;
}

// Ends the program loop as the real services do.
class EndingServices : public RecordingServices {
 public:
  void EndProcess() override {
    RecordingServices::EndProcess();
    QCoreApplication::exit(0);
  }
};

void ClickLine(CompareList* list, int row) {
  const QModelIndex index = list->model()->index(row, 0);
  list->scrollTo(index);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    QPoint(8, list->visualRect(index).center().y()));
}

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

// The Convert, Compare and Settings panels of the window, over real folders.
class PanelsTest : public QObject {
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
  void cleanup() { QLocale::setDefault(QLocale::c()); }

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
    QVERIFY(!QFile::exists(SettingsFile()));

    // Other refusals, such as a missing source, are warnings.
    SetFolders(&form, work_.filePath("missing/Web"), work_.filePath("missing/Site"));
    Start(&form);
    QCOMPARE(services_.messages.size(), 2);
    QCOMPARE(services_.messages[1].icon, QMessageBox::Warning);
    QVERIFY(!services_.messages[1].text.isEmpty());
    QVERIFY(!QDir(work_.filePath("missing/Site")).exists());

    // Settings that cannot be read are not replaced by the defaults: not when the run starts,
    // nor when they could not be read as the window was loaded.
    const QString settings = SettingsFile();
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
    QVERIFY(!QFile::exists(SettingsFile()));
  }

  void reportInTheUsersLocaleLinedUp() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const Trees trees = MakeTrees(work_.filePath("locale"));
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    SetFolders(&form, trees.source, trees.destination);
    form.SelectQuickMenuItem(1);
    auto* list = Find<CompareList>(&form, "lstCompare");

    // The core's lines (its own tests hold them all), with the user's marks in the numbers,
    // and the site check's section at the end.
    const QStringList lines = list->Lines();
    QCOMPARE(lines.first(), "Source :\t" + trees.source);
    QCOMPARE(lines[11],
             QStringLiteral("     Bytes\t97.639.703.123\t67.810.539.039\t29.829.164.084\t31%"));
    QCOMPARE(lines[13], QStringLiteral("     Megabytes\t93.116,48\t64.669,17\t28.447,31\t31%"));
    QCOMPARE(lines[32], QStringLiteral("     Megabytes\t0,00"));
    QCOMPARE(lines.mid(lines.size() - 2),
             QStringList({"*** Site Check ***", "Nothing found that will break on a plain host."}));

    // Every value stands under its header, and none touches the next.
    const QFontMetrics metrics(list->font());
    const std::vector<int> header = list->FieldPositions(5);
    QCOMPARE(header.size(), std::size_t{5});
    int rows = 0;
    for (int row = 6; row < lines.size(); ++row) {
      const QStringList fields = lines[row].split('\t');
      if (fields.size() < 3) continue;
      ++rows;
      const std::vector<int> at = list->FieldPositions(row);
      for (int f = 1; f < fields.size(); ++f) {
        if (fields[f].isEmpty()) continue;
        QCOMPARE(at[f], header[f]);
        QVERIFY2(
            at[f - 1] + metrics.horizontalAdvance(fields[f - 1]) + metrics.averageCharWidth() <=
                at[f],
            qPrintable(lines[row]));
      }
    }
    QCOMPARE(rows, 10);  // the five rows of the Totals and of the Uploads

    // The Compare button counts afresh.
    WriteFile(trees.source + "/a/more.htm", "");
    QTest::mouseClick(Find<QPushButton>(&form, "cmdCompare"), Qt::LeftButton);
    QCOMPARE(list->Lines()[9], QStringLiteral("Files\t2\t2\t0\t0%"));
  }

  void changeLogsAndFindingsOpenInTheEditor() {
    const Trees trees = MakeTrees(work_.filePath("click"));
    WriteFile(trees.source + "/a/news.htm",
              "<p>\n<img src=\"../_private/x.gif\"><a href=gone.htm>");
    WriteFile(trees.source + "/_private/x.gif", "GIF89a");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    SetFolders(&form, trees.source, trees.destination);
    form.SelectQuickMenuItem(1);
    auto* list = Find<CompareList>(&form, "lstCompare");
    ClickLine(list, 15);
    QCOMPARE(services_.editedFiles, QStringList{trees.destination + "/changes.ini"});
    ClickLine(list, 25);
    QCOMPARE(services_.editedFiles.last(), trees.uploads + "/changes.ini");
    // Number lines, headings and empty lines do nothing.
    for (int row : {0, 5, 9, 11, 14, 28, 32}) ClickLine(list, row);
    QCOMPARE(services_.editedFiles.size(), 2);

    // The findings follow the report; one opens its page, the summary and heading do not.
    const QStringList lines = list->Lines();
    const int heading = static_cast<int>(lines.indexOf(ComparePanel::kCheckHeading));
    QVERIFY(heading > 0);
    QCOMPARE(lines.size(), heading + 4);
    QCOMPARE(lines[heading + 1],
             QStringLiteral("2 problems found that will break on a plain host."));
    QVERIFY(lines[heading + 3].startsWith(QStringLiteral("a/news.htm, line 2, missing: gone.htm")));
    for (int row : {heading + 3, heading + 1, heading}) ClickLine(list, row);
    QCOMPARE(services_.editedFiles.mid(2),
             QStringList{QDir::toNativeSeparators(trees.source + "/a/news.htm")});

    // The logs of the report shown, even when the fields have changed since.
    SetFolders(&form, work_.filePath("elsewhere"), work_.filePath("elsewhere-FTP"));
    ClickLine(list, 15);
    QCOMPARE(services_.editedFiles.last(), trees.destination + "/changes.ini");

    // No editor: a message, and the window carries on.
    services_.editorMissing = true;
    ClickLine(list, 15);
    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].title, QString::fromLatin1(ComparePanel::kEditorTitle));
    QVERIFY(services_.messages[0].text.contains(QDir::toNativeSeparators(trees.destination)));
    QVERIFY(form.isVisible());
  }

  // Closing while the trees are counted ends the count at once, and the next start may come
  // in while this process is still ending.
  void closingDuringTheCountEndsItAndFreesTheLock() {
    const QString source = work_.filePath("closing/Web");
    for (int i = 0; i < 2000; ++i)
      WriteFile(source + QStringLiteral("/pages/p%1.htm").arg(i), QByteArray(10, 'x'));
    QTemporaryDir folder;
    EndingServices services;
    bool acted = false, nextStartIn = false, visible = true;
    QStringList lines;
    QTimer::singleShot(0, [&] {
      Mainform* form = nullptr;
      for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* mainform = qobject_cast<Mainform*>(window)) form = mainform;
      if (!form) qFatal("no window");
      SetFolders(form, source, source + "-FTP");
      auto* panel = Find<ComparePanel>(form, "picCompare");
      acted = WhileRunning([&] { form->SelectQuickMenuItem(1); }, [&] { return panel->Building(); },
                           [&] {
                             form->close();
                             visible = form->isVisible();
                             tarnwick::SingleInstance next(folder.path());
                             nextStartIn = next.Claim();
                           });
      lines = Find<CompareList>(form, "lstCompare")->Lines();
    });
    QCOMPARE(tarnwick::Main(services, folder.path()), 0);
    QVERIFY(acted);
    QVERIFY(!visible);
    QVERIFY(nextStartIn);
    QCOMPARE(services.endProcessCalls, 1);
    // Nothing was counted after the close: no numbers at all.
    QCOMPARE(lines.size(), 5);
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

QTEST_MAIN(PanelsTest)
#include "panels_test.moc"
