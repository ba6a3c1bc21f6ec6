#include "shell/tray_icon.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace tarnwick {

QString TrayMenuCaption(int id) {
  for (const TrayMenuItem& item : kTrayMenu) {
    if (item.id == id) return QString::fromLatin1(item.caption);
  }
  return {};
}

bool ShowsWelcomeBalloon(std::string_view osName, bool trayShowsMessages) {
  if (osName == "Win 2000" || osName == "Win XP") return true;
  if (osName == "Win 3.1" || osName == "Win 9x" || osName == "NT 4") return false;
  return trayShowsMessages;
}

TrayIcon::TrayIcon(QWidget* window) : QObject(window), window_(window), menu_(new QMenu(window)) {
  setObjectName(QStringLiteral("TrayIcon1"));
  menu_->setObjectName(QStringLiteral("TrayMenu"));
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::Setup(std::string_view osName) {
  for (const TrayMenuItem& item : kTrayMenu) {
    QAction* action = item.separator ? menu_->addSeparator()
                                     : menu_->addAction(QString::fromLatin1(item.caption));
    const int id = item.id;
    connect(action, &QAction::triggered, this, [this, id] { MenuClick(id); });
  }
  toolTip_ = QString::fromLatin1(kTrayToolTip);
  menu_->setTitle(QString::fromLatin1(kTrayCaption));

  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  balloonChosen_ = ShowsWelcomeBalloon(osName, QSystemTrayIcon::supportsMessages());
  icon_ = new QSystemTrayIcon(window_->windowIcon(), this);
  icon_->setToolTip(toolTip_);
  icon_->setContextMenu(menu_);
  connect(icon_, &QSystemTrayIcon::activated, this, &TrayIcon::Activated);
  icon_->show();
  if (balloonChosen_) {
    icon_->showMessage(QString::fromLatin1(kBalloonTitle), QString::fromLatin1(kBalloonText),
                       QSystemTrayIcon::Information, kBalloonTimeout);
  }
  QCoreApplication::processEvents();
}

void TrayIcon::RemoveIcon() {
  if (icon_) icon_->hide();
}

bool TrayIcon::IconShown() const { return icon_ && icon_->isVisible(); }

void TrayIcon::MenuClick(int id) {
  const QString caption = TrayMenuCaption(id);
  if (caption == QStringLiteral("Exit")) emit ExitChosen();
  if (caption == QStringLiteral("Help")) emit HelpChosen();
  if (caption == QStringLiteral("About")) emit AboutChosen();
}

void TrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::Trigger) emit WindowWanted();
}

}  // namespace tarnwick
