#include "shell/main_module.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdlib>
#include <exception>

#include "settings/settings_store.h"
#include "shell/mainform.h"
#include "shell/shell_services.h"
#include "shell/single_instance.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tarnwick {

std::string OSName;

std::string DetectOSVersion(int platformId, int majorVersion, int minorVersion) {
  switch (platformId) {
    case 0:
      return "Win 3.1";
    case 1:
      return "Win 9x";
    case 2: {
      // The version is read as one decimal number, major.minor, so 4.0 is 4 and 5.1 is 5.1.
      const double version = std::strtod(
          (std::to_string(majorVersion) + "." + std::to_string(minorVersion)).c_str(), nullptr);
      if (version == 4.0) return "NT 4";
      if (version == 5.0) return "Win 2000";
      if (version == 5.1) return "Win XP";
      return "Win NT";
    }
    default:
      return "Unknown";
  }
}

void DetectOSVersion() {
#ifdef _WIN32
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma warning(suppress : 4996)
  if (GetVersionExA(&info)) {
    OSName =
        DetectOSVersion(static_cast<int>(info.dwPlatformId), static_cast<int>(info.dwMajorVersion),
                        static_cast<int>(info.dwMinorVersion));
    return;
  }
#endif
  OSName = "Unknown";
}

bool ClaimSingleInstance(SingleInstance& instance, ShellServices& services) {
  if (instance.Claim()) return true;
  services.ShowMessage(nullptr, QMessageBox::Warning, QString::fromUtf8(kAlreadyRunningTitle),
                       QString::fromUtf8(kAlreadyRunningMessage));
  return false;
}

QString ProgramFolderForShell() {
  const QByteArray injected = qgetenv("TARNWICK_PROGRAM_DIR");
  if (!injected.isEmpty()) return QString::fromLocal8Bit(injected);
  return QString::fromStdString(ProgramFolder());
}

int Main(ShellServices& services, const QString& programFolder, const QString& sourceFolder) {
  if (programFolder.isEmpty()) {
    services.ShowMessage(nullptr, QMessageBox::Critical, QStringLiteral("Tarnwick"),
                         QString::fromUtf8(kNoProgramFolderMessage));
    return 1;
  }
  QDir().mkpath(programFolder);
  SingleInstance instance(programFolder);
  if (!ClaimSingleInstance(instance, services)) return 0;
  DetectOSVersion();
  Mainform form(services, programFolder);
  // The lock goes with the window, whatever the process still has to finish.
  QObject::connect(&form, &Mainform::Unloaded, &form, [&instance] { instance.Release(); });
  form.Form_Load();
  if (!sourceFolder.isEmpty()) form.OpenSource(QFileInfo(sourceFolder).absoluteFilePath());
  return QApplication::exec();
}

}  // namespace tarnwick
