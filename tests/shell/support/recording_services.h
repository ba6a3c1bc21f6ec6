#pragma once

#include <QLabel>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

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
  void EndProcess() override { ++endProcessCalls; }

  QStringList urls;
  QStringList programs;
  QStringList editedFiles;
  bool editorMissing = false;  // OpenInEditor fails, as without an editor
  QList<Message> messages;
  int endProcessCalls = 0;
};

// Writes a whole file, creating its folders.
void WriteFile(const QString& path, const QByteArray& content);
// The whole file, or "<missing>".
QByteArray ReadAll(const QString& path);

// The child widget of that object name; a missing one ends the test program.
template <typename T = QWidget>
T* Find(QWidget* form, const char* name) {
  T* widget = form->findChild<T*>(QString::fromLatin1(name));
  if (!widget) qFatal("no widget %s", name);
  return widget;
}

// Fills the Convert panel's folder fields.
void SetFolders(QWidget* form, const QString& source, const QString& destination);

// The label of that object name whose "index" is `index`, as in a control array.
QLabel* Indexed(QWidget* form, const char* name, int index);
// Quick Menu item number `index`.
inline QLabel* Item(QWidget* form, int index) { return Indexed(form, "Qmenu", index); }

// Lets the window's events run until the conversion it started has ended (at most five
// minutes).
void WaitForRun(QWidget* form);

// Runs `start` (which blocks in its own event loop) and calls `act` once, at the first turn of
// that loop where `ready` holds. Answers whether `act` ran.
bool WhileRunning(const std::function<void()>& start, const std::function<bool()>& ready,
                  const std::function<void()>& act);

}  // namespace tarnwick::testing
