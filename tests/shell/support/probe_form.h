#pragma once

#include <QStringList>
#include <QTimer>
#include <stdexcept>

#include "shell/mainform.h"

namespace tarnwick::testing {

// The window with its later-built steps observed: what each step saw of the start-up.
class ProbeForm : public Mainform {
 public:
  using Mainform::Mainform;

  bool failSettings = false;
  int compareBuilds = 0;
  QStringList trace;

  QTimer* Timer() const { return MainTimer; }

 protected:
  void LoadSettings() override {
    trace << QStringLiteral("settings visible=%1 ready=%2").arg(isVisible()).arg(FormReady);
    if (failSettings) throw std::runtime_error("damaged settings");
    Mainform::LoadSettings();
  }
  void LoadTicker() override {
    trace
        << QStringLiteral("ticker timer=%1 visible=%2").arg(MainTimer->isActive()).arg(isVisible());
  }
  void SetupTrayIcon() override {
    trace << QStringLiteral("tray timer=%1 visible=%2").arg(MainTimer->isActive()).arg(isVisible());
  }
  void cmdCompare_Click() override { ++compareBuilds; }
};

}  // namespace tarnwick::testing
