#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace tarnwick {

// What the window asks of the desktop: pages, programs, message boxes and the end of the
// process. Tests put a recording double behind it, so nothing opens or blocks while they run.
class ShellServices {
 public:
  virtual ~ShellServices() = default;

  // Opens the address in a browser window. False when nothing could be opened.
  virtual bool OpenUrl(const QString& address);

  // Starts the program without waiting for it. The whole text names the program.
  virtual bool StartProgram(const QString& program);

  // Opens a text file in the system's editor without waiting for it. False when no editor
  // could be started.
  virtual bool OpenInEditor(const QString& file);

  // A modal message box with an OK button.
  virtual void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                           const QString& text);

  // Ends the program once the window is gone.
  virtual void EndProcess();
};

}  // namespace tarnwick
