#include "shell/compare_panel.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/compare_list.h"
#include "shell/convert_panel.h"
#include "shell/mainform.h"
#include "support/recording_services.h"

using tarnwick::CompareList;
using tarnwick::ComparePanel;
using tarnwick::Mainform;
using namespace tarnwick::testing;

namespace {

// A FrontPage web, its FTP web with the latest log, and the uploads folder with its own log.
struct Trees {
  QString source, destination, uploads;
};

Trees MakeTrees(const QString& root) {
  Trees trees{root + "/Web", root + "/Web-FTP", root + "/Web-FTP-Uploads"};
  WriteFile(trees.source + "/big.htm", QByteArray(1234567, 'x'));
  QDir().mkpath(trees.source + "/a");
  QDir().mkpath(trees.source + "/_vti_cnf");
  WriteFile(trees.destination + "/big.htm", QByteArray(1000000, 'x'));
  WriteFile(trees.destination + "/changes.ini", "[Deleted]\r\nold.htm=100\r\ngone.gif=2048\r\n");
  WriteFile(trees.uploads + "/big.htm", QByteArray(1000000, 'x'));
  WriteFile(trees.uploads + "/sub/x.htm", QByteArray(10, 'x'));
  WriteFile(trees.uploads + "/changes.ini", "[Changed]\r\nbig.htm=1000000\r\n");
  return trees;
}

void SetFolders(Mainform& form, const QString& source, const QString& destination) {
  Find<QComboBox>(&form, "txtConvertFrom")->setEditText(source);
  Find<QLineEdit>(&form, "txtConvertTo")->setText(destination);
}

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

  void reportInTheUsersLocale() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const Trees trees = MakeTrees(work_.filePath("locale"));
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    SetFolders(form, trees.source, trees.destination);
    form.SelectQuickMenuItem(1);
    auto* list = Find<CompareList>(&form, "lstCompare");

    const QStringList expected = {
        "Source :\t" + trees.source,
        "Destination:\t" + trees.destination,
        "Changed Items:\t" + trees.uploads,
        "",
        "",
        "\tFrontpage\tFTP\tSaved\tSaved %",
        "",
        "*** Totals ***",
        "Directories\t2\t0\t2\t100%",
        "Files\t1\t2\t-1\t-100%",
        "Size Of Files",
        "     Bytes\t1.234.567\t1.000.039\t234.528\t19%",
        "     Kilobytes\t1.206\t977\t229\t19%",
        "     Megabytes\t1,18\t,95\t,22\t19%",
        "",
        "Click Here to view the latest changes.",
        "",
        "*** Uploads ***",
        "Directories\t2\t1\t1\t50%",
        "Files\t1\t2\t-1\t-100%",
        "Size Of Files",
        "     Bytes\t1.234.567\t1.000.010\t234.557\t19%",
        "     Kilobytes\t1.206\t977\t229\t19%",
        "     Megabytes\t1,18\t,95\t,22\t19%",
        "",
        "Click Here to view all changes made after your last upload.",
        "",
        "*** Deleted ***",
        "Files\t2",
        "Size Of Files",
        "     Bytes\t2.148",
        "     Kilobytes\t2",
        "     Megabytes\t0,00",
        "",
        "*** Site Check ***",
        "Nothing found that will break on a plain host.",
    };
    QCOMPARE(list->Lines(), expected);

    // Each selection of the panel counts afresh.
    WriteFile(trees.source + "/a/more.htm", "");
    form.SelectQuickMenuItem(1);
    QCOMPARE(list->Lines()[9], QStringLiteral("Files\t2\t2\t0\t0%"));

    // So does the Compare button, here for folders that are not there.
    SetFolders(form, work_.filePath("none/Web"), work_.filePath("none/Web-FTP"));
    QTest::mouseClick(Find<QPushButton>(&form, "cmdCompare"), Qt::LeftButton);
    QCOMPARE(list->Lines()[8], QStringLiteral("Size Of Files"));
    QVERIFY(list->Lines().contains(
        QStringLiteral("                                      Uploads Directory Not Found.")));
    QVERIFY(list->Lines().contains(QStringLiteral("     Megabytes\t0,00")));
    QVERIFY(list->Lines().last().contains(QStringLiteral("does not exist")));
  }

  void changeLogLinesOpenTheEditor() {
    const Trees trees = MakeTrees(work_.filePath("click"));
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    SetFolders(form, trees.source, trees.destination);
    form.SelectQuickMenuItem(1);
    auto* list = Find<CompareList>(&form, "lstCompare");
    ClickLine(list, 15);
    QCOMPARE(services_.editedFiles, QStringList{trees.destination + "/changes.ini"});
    ClickLine(list, 25);
    QCOMPARE(services_.editedFiles.last(), trees.uploads + "/changes.ini");
    // Number lines, headings and empty lines do nothing.
    for (int row : {0, 5, 9, 11, 14, 28, 32}) ClickLine(list, row);
    QCOMPARE(services_.editedFiles.size(), 2);

    // The logs of the report shown, even when the fields have changed since.
    SetFolders(form, work_.filePath("elsewhere"), work_.filePath("elsewhere-FTP"));
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

  void findingsFollowTheReportAndOpenTheirPages() {
    const Trees trees = MakeTrees(work_.filePath("check"));
    WriteFile(trees.source + "/a/news.htm",
              "<p>\n<img src=\"../_private/x.gif\"><a href=gone.htm>");
    WriteFile(trees.source + "/_private/x.gif", "GIF89a");
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    SetFolders(form, trees.source, trees.destination);
    form.SelectQuickMenuItem(1);
    auto* list = Find<CompareList>(&form, "lstCompare");
    const QStringList lines = list->Lines();
    const int heading = static_cast<int>(lines.indexOf(ComparePanel::kCheckHeading));
    QVERIFY(heading > 0);
    QCOMPARE(lines.mid(heading + 1),
             QStringList({"2 problems found that will break on a plain host.",
                          "a/news.htm, line 2, dropped: ../_private/x.gif - _private/x.gif lies "
                          "in the folder _private, which the conversion leaves out: it will be "
                          "missing on the host.",
                          "a/news.htm, line 2, missing: gone.htm - There is no a/gone.htm in "
                          "the web."}));
    // A finding opens its page in the editor; the summary line and the heading do not.
    ClickLine(list, heading + 3);
    ClickLine(list, heading + 1);
    ClickLine(list, heading);
    QCOMPARE(services_.editedFiles,
             QStringList{QDir::toNativeSeparators(trees.source + "/a/news.htm")});
  }

  void compareWaitsForTheRun() {
    const QString source = work_.filePath("run/Web");
    for (int i = 0; i < 1500; ++i)
      WriteFile(source + QStringLiteral("/pages/p%1.htm").arg(i), QByteArray(10, 'x'));
    Mainform form(services_, programFolder_.path());
    form.Form_Load();
    SetFolders(form, source, source + "-FTP");
    auto* run = Find<tarnwick::ConvertPanel>(&form, "picConvert");
    auto* button = Find<QPushButton>(&form, "cmdCompare");
    auto* list = Find<CompareList>(&form, "lstCompare");
    bool buttonDuring = true, accepted = true;
    QVERIFY(WhileRunning(
        [&] { QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton); },
        [&] { return run->Running(); },
        [&] {
          buttonDuring = button->isEnabled();
          form.SelectQuickMenuItem(1);
          accepted = Find<ComparePanel>(&form, "picCompare")->BuildReport(source, source + "-FTP");
        }));
    QVERIFY(!buttonDuring);
    QVERIFY(!accepted);
    QVERIFY(list->Lines().isEmpty());

    QVERIFY(button->isEnabled());
    form.SelectQuickMenuItem(1);
    // The run's own change log counts in the FTP web.
    QCOMPARE(list->Lines()[9], QStringLiteral("Files\t1500\t1501\t-1\t0%"));
  }
};

QTEST_MAIN(ComparePanelTest)
#include "compare_panel_test.moc"
