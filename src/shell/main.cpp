#include <QApplication>

#include "shell/main_module.h"
#include "shell/shell_services.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarnwick"));
  tarnwick::ShellServices services;
  return tarnwick::Main(services, tarnwick::ProgramFolderForShell());
}
