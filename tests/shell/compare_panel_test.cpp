#include "shell/compare_panel.h"

#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/compare_list.h"
#include "shell/convert_panel.h"
#include "shell/main_module.h"
#include "shell/mainform.h"
#include "shell/single_instance.h"
#include "support/recording_services.h"

using tarnwick::CompareList;
using tarnwick::ComparePanel;
using tarnwick::Mainform;
using namespace tarnwick::testing;

namespace {

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

}  // namespace

class ComparePanelTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir programFolder_;
  QTemporaryDir work_;
  RecordingServices services_;

 private slots:
  void init() { services_ = RecordingServices(); }
  void cleanup() { QLocale::setDefault(QLocale::c()); }

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
};

QTEST_MAIN(ComparePanelTest)
#include "compare_panel_test.moc"
