#include "shell/shell_services.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>

namespace tarnwick {

bool ShellServices::OpenUrl(const QString& address) {
  return QDesktopServices::openUrl(QUrl(address));
}

bool ShellServices::StartProgram(const QString& program) {
#ifdef _WIN32
  // There the text is a whole command line, arguments included.
  QStringList parts = QProcess::splitCommand(program);
  if (parts.isEmpty()) return false;
  const QString executable = parts.takeFirst();
  return QProcess::startDetached(executable, parts);
#else
  return QProcess::startDetached(program, {});
#endif
}

bool ShellServices::OpenInEditor(const QString& file) {
#ifdef _WIN32
  // Passed as an argument, so a path with blanks reaches Notepad whole.
  return QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(file)});
#else
  return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
#endif
}

void ShellServices::ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                const QString& text) {
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

void ShellServices::EndProcess() { QCoreApplication::exit(0); }

}  // namespace tarnwick
