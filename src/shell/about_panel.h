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
  void SetVersionLine();

 private:
  ShellServices& services_;
  PanelTitle title_;
  QLabel* lblAboutVersion;
  QLabel* lblAbout;
  QLabel* lblEmail;
  ClickableLabel* lblWebsite;
  QLabel* imgAbout;
};

}  // namespace tarnwick
