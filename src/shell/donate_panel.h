#pragma once

#include <QWidget>

#include "shell/panel_title.h"

class QLabel;

namespace tarnwick {

class ClickableLabel;
class ShellServices;

// picDonation: an appeal and the way to the donation page.
class DonatePanel : public QWidget {
  Q_OBJECT

 public:
  DonatePanel(ShellServices& services, QWidget* parent = nullptr);

  static QString DonationText();
  // Replaces the caption; it never grows with repeated selection.
  void FillDonationText();

 private:
  ShellServices& services_;
  PanelTitle title_;
  QLabel* imgDonate;
  ClickableLabel* lblDonation;
  ClickableLabel* lblDonationSite;
};

}  // namespace tarnwick
