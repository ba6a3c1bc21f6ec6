#include "support/recording_services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tarnwick::testing {

bool RecordingServices::OpenUrl(const QString& address) {
  urls << address;
  return true;
}

bool RecordingServices::StartProgram(const QString& program) {
  programs << program;
  return true;
}

bool RecordingServices::OpenInEditor(const QString& file) {
  if (editorMissing) return false;
  editedFiles << file;
  return true;
}

void RecordingServices::ShowMessage(QWidget*, QMessageBox::Icon icon, const QString& title,
                                    const QString& text) {
  messages.append({icon, title, text});
}

void RecordingServices::EndProcess() { ++endProcessCalls; }

void WriteFile(const QString& path, const QByteArray& content) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    qFatal("cannot write %s", qPrintable(path));
  file.write(content);
}

}  // namespace tarnwick::testing
