#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include "shell/shell_services.h"

namespace tarnwick::testing {

// Records what the window would open, start or show, and never blocks.
class RecordingServices : public ShellServices {
 public:
  struct Message {
    QMessageBox::Icon icon;
    QString title;
    QString text;
  };

  bool OpenUrl(const QString& address) override;
  bool StartProgram(const QString& program) override;
  bool OpenInEditor(const QString& file) override;
  void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                   const QString& text) override;
  void EndProcess() override;

  QStringList urls;
  QStringList programs;
  QStringList editedFiles;
  bool editorMissing = false;  // OpenInEditor fails, as without an editor
  QList<Message> messages;
  int endProcessCalls = 0;
};

// Writes a whole file, creating its folders.
void WriteFile(const QString& path, const QByteArray& content);

}  // namespace tarnwick::testing
