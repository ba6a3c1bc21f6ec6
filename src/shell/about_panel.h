#pragma once

#include <QWidget>

#include "shell/panel_title.h"

class QLabel;

namespace tarnwick {

class ClickableLabel;
class ShellServices;

// picAbout: what the program is, its version and how to reach its maker.
class AboutPanel : public QWidget {
  Q_OBJECT

 public:
  AboutPanel(ShellServices& services, QWidget* parent = nullptr);

  // "Version", two blanks, major.minor.revision, two blanks.
  static QString VersionLine();
  static constexpr const char* kLicenceText =
      "Copyright 2026 Robin Marlow. Tarnwick is free software: you may share and change it under "
      "the GNU General Public License, version 3 or any later version (GPL-3.0-or-later). It "
      "comes with no warranty.";
  void SetVersionLine();

 private:
  ShellServices& services_;
  PanelTitle title_;
  QLabel* lblAboutVersion;
  QLabel* lblAbout;
  QLabel* lblEmail;
  ClickableLabel* lblWebsite;
  QLabel* lblLicence;
  QLabel* imgAbout;
};

}  // namespace tarnwick
