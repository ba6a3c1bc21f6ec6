#include "shell/main_module.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/single_instance.h"
#include "support/recording_services.h"

using tarnwick::testing::RecordingServices;

class MainModuleTest : public QObject {
  Q_OBJECT

 private slots:
  void osNameFollowsVersion() {
    // Platform id, major, minor version, name.
    const std::tuple<int, int, int, const char*> rows[] = {
        {0, 3, 10, "Win 3.1"}, {1, 4, 10, "Win 9x"}, {2, 4, 0, "NT 4"},    {2, 4, 1, "Win NT"},
        {2, 5, 0, "Win 2000"}, {2, 5, 1, "Win XP"},  {2, 3, 51, "Win NT"}, {2, 5, 2, "Win NT"},
        {2, 6, 0, "Win NT"},   {2, 10, 0, "Win NT"}, {3, 5, 0, "Unknown"}, {-1, 5, 1, "Unknown"}};
    for (const auto& [platform, major, minor, name] : rows)
      QCOMPARE(tarnwick::DetectOSVersion(platform, major, minor), std::string(name));
  }

  void osNameUnknownWithoutVersionQuery() {
#ifdef _WIN32
    QSKIP("Windows answers the version query");
#else
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

    RecordingServices services;
    const int code = tarnwick::Main(services, folder.path());
    QCOMPARE(code, 0);
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].icon, QMessageBox::Warning);
    QCOMPARE(services.messages[0].title, QStringLiteral("Already Running"));
    QCOMPARE(services.messages[0].text,
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
    tarnwick::testing::WriteFile(
        tarnwick::SingleInstance::LockFilePath(folder.path()),
        QByteArray::number(pid) + "\ntarnwick\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    tarnwick::SingleInstance instance(folder.path());
    RecordingServices services;
    QVERIFY(tarnwick::ClaimSingleInstance(instance, services));
    QVERIFY(services.messages.isEmpty());
  }

  // Without a folder for its files the window says so instead of writing where it started.
  void noProgramFolderIsReported() {
    RecordingServices services;
    QCOMPARE(tarnwick::Main(services, QString()), 1);
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].text, QString::fromUtf8(tarnwick::kNoProgramFolderMessage));
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    QVERIFY(!QFileInfo::exists(QStringLiteral("tarnwick.lock")));
  }
};

QTEST_MAIN(MainModuleTest)
#include "main_module_test.moc"
