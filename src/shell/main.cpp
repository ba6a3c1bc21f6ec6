#include <QApplication>

#include "platform/open_file_limit.h"
#include "shell/main_module.h"
#include "shell/shell_services.h"

int main(int argc, char** argv) {
  tarnwick::RaiseOpenFileLimit();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarnwick"));
  // Lets the desktop match the window with its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("example.tarnwick.Tarnwick"));
  tarnwick::ShellServices services;
  // tarnwick FOLDER: that web in the Convert panel; the toolkit has taken its own options.
  const QStringList arguments = QApplication::arguments();
  return tarnwick::Main(services, tarnwick::ProgramFolderForShell(),
                        arguments.size() > 1 ? arguments[1] : QString());
}
