#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "shell/convert_panel.h"
#include "shell/folder_list.h"
#include "shell/work_list_model.h"
#include "support/probe_form.h"
#include "support/recording_services.h"

using tarnwick::ConvertPanel;
using tarnwick::FolderList;
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

// A small FrontPage web: two pages, a picture, and the editor's own folders.
void MakeWeb(const QString& root, int extraPages = 0) {
  WriteFile(root + "/index.htm", "<html>home</html>");
  WriteFile(root + "/images/logo.gif", "GIF89a");
  WriteFile(root + "/_vti_cnf/index.htm", "vti");
  WriteFile(root + "/_private/form.txt", "private");
  for (int i = 0; i < extraPages; ++i)
    WriteFile(root + QStringLiteral("/pages/page%1.htm").arg(i, 4, 10, QLatin1Char('0')),
              QByteArray(200, 'x'));
}

// What the start controls looked like while the run was going on.
struct Snapshot {
  bool taken = false;
  bool start = true, image = true, status = true, source = true, destination = true, drives = true,
       folders = true, compare = true;
};

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
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();

    Find<QComboBox>(&form, "txtConvertFrom")->setEditText(source);
    Find<QLineEdit>(&form, "txtConvertTo")->setText(destination);

    Snapshot during;
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, this, [&] {
      auto* panel = Find<ConvertPanel>(&form, "picConvert");
      if (during.taken || !panel->Running()) return;
      during.taken = true;
      during.start = Find<QPushButton>(&form, "cmdConvertStart")->isEnabled();
      during.image = Find<QLabel>(&form, "imgConvert")->isEnabled();
      during.status = Find<QLabel>(&form, "lblConvert")->isEnabled();
      during.source = Find<QComboBox>(&form, "txtConvertFrom")->isEnabled();
      during.destination = Find<QLineEdit>(&form, "txtConvertTo")->isEnabled();
      during.drives = Find<QComboBox>(&form, "drvConvert")->isEnabled();
      during.folders = Find<FolderList>(&form, "dirConvert")->isEnabled();
      during.compare = Item(&form, 1)->isEnabled();
      // A second click while running starts nothing.
      Find<QPushButton>(&form, "cmdConvertStart")->click();
      form.SelectQuickMenuItem(1);
    });
    probe.start();
    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    probe.stop();

    QVERIFY(during.taken);
    QVERIFY(!during.start && !during.image && !during.status && !during.source &&
            !during.destination && !during.drives && !during.folders && !during.compare);
    QCOMPARE(form.compareBuilds, 0);

    QVERIFY(QFile::exists(destination + "/index.htm"));
    QVERIFY(QFile::exists(destination + "/images/logo.gif"));
    QVERIFY(!QDir(destination + "/_vti_cnf").exists());
    QVERIFY(!QDir(destination + "/_private").exists());

    auto* status = Find<QLabel>(&form, "lblConvert");
    QCOMPARE(status->text(), QString::fromLatin1(ConvertPanel::kReportLink));
    QVERIFY(status->isEnabled());
    QVERIFY(Find<QPushButton>(&form, "cmdConvertStart")->isEnabled());
    QVERIFY(Item(&form, 1)->isEnabled());
    QCOMPARE(Find<QListView>(&form, "lstConvertResults")->model()->rowCount(), 2);
    QVERIFY(services_.messages.isEmpty());
    QVERIFY(services_.programs.isEmpty());

    // Remembered: the source leads the recent webs, and choosing it again proposes this
    // destination instead of the "-FTP" default.
    auto* sourceField = Find<QComboBox>(&form, "txtConvertFrom");
    QCOMPARE(sourceField->itemText(0), source);
    auto* folders = Find<FolderList>(&form, "dirConvert");
    QVERIFY(folders->SetPath(work_.path()));
    QCOMPARE(Find<QLineEdit>(&form, "txtConvertTo")->text(),
             QDir::toNativeSeparators(work_.path()) + "-FTP");
    QVERIFY(folders->SetPath(source));
    QCOMPARE(sourceField->currentText(), source);
    QCOMPARE(Find<QLineEdit>(&form, "txtConvertTo")->text(), destination);

    // The link opens the Compare panel and builds the report.
    QTest::mouseClick(status, Qt::LeftButton);
    QVERIFY(Find<QWidget>(&form, "picCompare")->isVisible());
    QCOMPARE(form.compareBuilds, 1);
  }

  void enteringTheSourceFieldMovesTheBrowser() {
    const QString source = work_.filePath("focus/Web");
    MakeWeb(source);
    WriteFile(programFolder_.filePath("settings.db"),
              QStringLiteral("[DIDOvivavovo]\r\n%1=/srv/site\r\n[Positions]\r\n1=%1\r\n")
                  .arg(source)
                  .toUtf8());
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    auto* panel = Find<ConvertPanel>(&form, "picConvert");
    QCOMPARE(Find<QComboBox>(&form, "txtConvertFrom")->currentText(), source);
    panel->txtConvertFrom_GotFocus();
    QCOMPARE(Find<FolderList>(&form, "dirConvert")->Path(), QDir::toNativeSeparators(source));
    QCOMPARE(Find<QLineEdit>(&form, "txtConvertTo")->text(), QStringLiteral("/srv/site"));

    // A text that names no folder leaves the browser where it was.
    Find<QComboBox>(&form, "txtConvertFrom")->setEditText(work_.filePath("focus/none"));
    panel->txtConvertFrom_GotFocus();
    QCOMPARE(Find<FolderList>(&form, "dirConvert")->Path(), QDir::toNativeSeparators(source));
  }

  void equalFoldersAreRefused() {
    const QString source = work_.filePath("same/Web");
    MakeWeb(source);
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    auto* status = Find<QLabel>(&form, "lblConvert");
    const QString before = status->text();
    Find<QComboBox>(&form, "txtConvertFrom")->setEditText(source);
    Find<QLineEdit>(&form, "txtConvertTo")->setText(source.toUpper());
    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);

    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].icon, QMessageBox::Critical);
    QCOMPARE(services_.messages[0].title, QStringLiteral("Change Destination"));
    QCOMPARE(services_.messages[0].text,
             QStringLiteral("The Source and Destination directories are te same. Please choose a "
                            "different Desination."));
    QCOMPARE(status->text(), before);
    QVERIFY(Find<QPushButton>(&form, "cmdConvertStart")->isEnabled());
    QVERIFY(!QFile::exists(programFolder_.filePath("settings.db")));
  }

  void otherRefusalsAreWarnings() {
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    Find<QComboBox>(&form, "txtConvertFrom")->setEditText(work_.filePath("missing/Web"));
    Find<QLineEdit>(&form, "txtConvertTo")->setText(work_.filePath("missing/Site"));
    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    QCOMPARE(services_.messages.size(), 1);
    QCOMPARE(services_.messages[0].icon, QMessageBox::Warning);
    QVERIFY(!services_.messages[0].text.isEmpty());
    QVERIFY(!QDir(work_.filePath("missing/Site")).exists());
  }

  void ftpClientStartsWhenConfigured() {
    const QString source = work_.filePath("ftp/Web");
    MakeWeb(source);
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    form.LoadedOptions.LaunchFTP = 1;
    form.LoadedOptions.FTPPath = "/opt/ftp client/bin/ftp";
    Find<QComboBox>(&form, "txtConvertFrom")->setEditText(source);
    Find<QLineEdit>(&form, "txtConvertTo")->setText(source + "-FTP");
    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    QCOMPARE(services_.programs, QStringList{"/opt/ftp client/bin/ftp"});

    // Switched off, or with no path, nothing is started.
    form.LoadedOptions.LaunchFTP = 0;
    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    form.LoadedOptions.LaunchFTP = 1;
    form.LoadedOptions.FTPPath.clear();
    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    QCOMPARE(services_.programs.size(), 1);
  }

  void failuresAreShownAtTheEnd() {
    const QString source = work_.filePath("fail/Web");
    const QString destination = work_.filePath("fail/Site");
    MakeWeb(source);
    // A read-only copy in the FTP web cannot be replaced.
    WriteFile(destination + "/index.htm", "old");
    QFile::setPermissions(destination + "/index.htm", QFile::ReadOwner | QFile::ReadGroup);
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    Find<QComboBox>(&form, "txtConvertFrom")->setEditText(source);
    Find<QLineEdit>(&form, "txtConvertTo")->setText(destination);
    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    QCOMPARE(services_.messages.size(), 1);
    QVERIFY2(services_.messages[0].text.startsWith("1 operation failed"),
             qPrintable(services_.messages[0].text));
    QVERIFY(services_.messages[0].text.contains("index.htm"));
    QCOMPARE(Find<QLabel>(&form, "lblConvert")->text(),
             QString::fromLatin1(ConvertPanel::kReportLink));
    QVERIFY(QFile::exists(destination + "/images/logo.gif"));
  }

  void closingStopsTheRunAfterTheFileInProgress() {
    const QString source = work_.filePath("close/Web");
    const QString destination = work_.filePath("close/Site");
    MakeWeb(source, 3000);
    ProbeForm form(services_, programFolder_.path());
    form.Form_Load();
    Find<QComboBox>(&form, "txtConvertFrom")->setEditText(source);
    Find<QLineEdit>(&form, "txtConvertTo")->setText(destination);
    auto* panel = Find<ConvertPanel>(&form, "picConvert");
    QTimer closer;
    closer.setInterval(0);
    bool closedWhileRunning = false;
    connect(&closer, &QTimer::timeout, this, [&] {
      // Close once the copy phase has begun.
      if (panel->Running() && QDir(destination).exists() && !closedWhileRunning) {
        closedWhileRunning = true;
        form.close();
        QVERIFY(form.isVisible());  // still open until the run has stopped
      }
    });
    closer.start();
    QTest::mouseClick(Find<QPushButton>(&form, "cmdConvertStart"), Qt::LeftButton);
    closer.stop();
    QVERIFY(closedWhileRunning);
    QVERIFY(panel->LastResult().has_value());
    QVERIFY(panel->LastResult()->cancelled);
    QVERIFY(!form.isVisible());
    QCOMPARE(services_.endProcessCalls, 1);
    const int copied = QDir(destination + "/pages").entryList(QDir::Files).size();
    QVERIFY2(copied < 3000, qPrintable(QString::number(copied)));
    // Not a finished run: nothing remembered.
    QVERIFY(!QFile::exists(programFolder_.filePath("settings.db")));
  }

  void workListStaysQuickWithManyEntries() {
    tarnwick::WorkListModel model;
    QListView view;
    view.setUniformItemSizes(true);
    view.setModel(&model);
    view.resize(400, 300);
    view.show();
    QElapsedTimer clock;
    clock.start();
    std::vector<std::string> batch;
    for (int i = 0; i < 100000; ++i) {
      batch.push_back("pages^page" + std::to_string(i) + ".htm");
      if (batch.size() == 500) {
        model.Append(batch);
        view.setCurrentIndex(model.index(model.rowCount() - 1));
        view.scrollTo(view.currentIndex());
        QCoreApplication::processEvents();
      }
    }
    model.Append(batch);
    QCoreApplication::processEvents();
    QCOMPARE(model.rowCount(), 100000);
    QCOMPARE(model.data(model.index(99999), Qt::DisplayRole).toString(),
             QStringLiteral("pages^page99999.htm"));
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
  }
};

QTEST_MAIN(ConvertRunTest)
#include "convert_run_test.moc"
