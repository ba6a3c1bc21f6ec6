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
  return tarnwick::Main(services, tarnwick::ProgramFolderForShell());
}
