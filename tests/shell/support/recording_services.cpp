#include "support/recording_services.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "shell/convert_panel.h"

namespace tarnwick::testing {

void WriteFile(const QString& path, const QByteArray& content) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    qFatal("cannot write %s", qPrintable(path));
  file.write(content);
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return file.readAll();
}

void SetFolders(QWidget* form, const QString& source, const QString& destination) {
  Find<QComboBox>(form, "txtConvertFrom")->setEditText(source);
  Find<QLineEdit>(form, "txtConvertTo")->setText(destination);
}

QLabel* Indexed(QWidget* form, const char* name, int index) {
  for (QLabel* label : form->findChildren<QLabel*>(QString::fromLatin1(name)))
    if (label->property("index").toInt() == index) return label;
  qFatal("no %s(%d)", name, index);
}

void WaitForRun(QWidget* form) {
  auto* panel = Find<ConvertPanel>(form, "picConvert");
  QDeadlineTimer deadline(5 * 60 * 1000);
  while (panel->Running() && !deadline.hasExpired()) QTest::qWait(5);
}

bool WhileRunning(const std::function<void()>& start, const std::function<bool()>& ready,
                  const std::function<void()>& act) {
  bool done = false;
  QTimer probe;
  probe.setInterval(0);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (done || !ready()) return;
    done = true;
    act();
  });
  probe.start();
  start();
  return done;
}

}  // namespace tarnwick::testing
