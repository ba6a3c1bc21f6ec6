#pragma once

#include <QCoreApplication>
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

  bool OpenUrl(const QString& address) override {
    urls << address;
    return true;
  }
  bool StartProgram(const QString& program) override {
    programs << program;
    return true;
  }
  bool OpenInEditor(const QString& file) override {
    if (editorMissing) return false;
    editedFiles << file;
    return true;
  }
  void ShowMessage(QWidget*, QMessageBox::Icon icon, const QString& title,
                   const QString& text) override {
    messages.append({icon, title, text});
  }
  void EndProcess() override {
    ++endProcessCalls;
    if (endsLoop) QCoreApplication::exit(0);
  }

  QStringList urls;
  QStringList programs;
  QStringList editedFiles;
  bool editorMissing = false;  // OpenInEditor fails, as without an editor
  QList<Message> messages;
  int endProcessCalls = 0;
  bool endsLoop = false;  // EndProcess ends the program loop, as the real services do
};

}  // namespace tarnwick::testing
