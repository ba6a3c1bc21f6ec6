#include <QtTest>
#include <QtWidgets>

#include "shell/mainform.h"
#include "support/recording_services.h"

namespace tarnwick::testing {

// The window on a screen made small by a large scale factor, as a 1280 by 1024 screen is at
// twice the size: it must fit on it whole, frame included.
class ScaledWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void firstWindowFitsTheScreen() {
    QTemporaryDir folder;
    RecordingServices services;
    Mainform form(services, folder.path());
    form.Form_Load();
    const QRect available = form.screen()->availableGeometry();
    QVERIFY2(available.width() < 780, "the scale factor did not take");
    QVERIFY(form.width() <= available.width());
    QVERIFY(form.height() <= available.height());
    QVERIFY(form.minimumWidth() <= available.width());
    QVERIFY(form.minimumHeight() <= available.height());
    // Still room for the panels: the Convert panel shows its start button.
    QVERIFY(form.findChild<QWidget*>(QStringLiteral("cmdConvertStart"))->isVisible());
  }
};

}  // namespace tarnwick::testing

int main(int argc, char** argv) {
  // Before the application exists, as a user's environment sets it.
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  tarnwick::testing::ScaledWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "scaled_window_test.moc"
