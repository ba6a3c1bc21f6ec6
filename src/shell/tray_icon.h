#pragma once

#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <optional>
#include <string_view>

class QMenu;
class QWidget;

namespace tarnwick {

// What the tray is handed; CR LF separates the tooltip's two lines and the body's.
inline constexpr const char* kTrayToolTip = "Tarnwick\r\n   Status : Ready";
inline constexpr const char* kTrayCaption = "        Tarnwick";
inline constexpr const char* kBalloonTitle = "Welcome to Tarnwick";
inline constexpr const char* kBalloonText =
    "Tarnwick is ready and waiting for you to start converting your Frontpage webs to FTP "
    "webs.\r\nEnjoy!!!";
inline constexpr int kBalloonTimeout = 10000;  // milliseconds
inline constexpr int kBalloonIconInformation = 1;

// The tray menu in order. The identifier is what a click reports.
struct TrayMenuItem {
  int id;
  bool separator;
  const char* caption;
};
inline constexpr TrayMenuItem kTrayMenu[] = {
    {1, false, "Help"}, {2, false, "About"}, {3, true, " "}, {4, false, "Exit"}};

// The caption of the item a click reported; empty for an identifier that matches no item.
QString TrayMenuCaption(int id);

// Whether the welcome balloon is shown. Windows 2000 and XP always show it; the systems before
// them have no balloons; any other system shows it when its tray can show messages.
bool ShowsWelcomeBalloon(std::string_view osName, bool trayShowsMessages);

// The window's notification-area icon (object name "TrayIcon1"). The menu is built whether or
// not the desktop has a tray; where it has none, nothing is shown and the program runs without.
class TrayIcon : public QObject {
  Q_OBJECT

 public:
  explicit TrayIcon(QWidget* window);
  ~TrayIcon() override;

  // Menu, tooltip, balloon choice, icon, then the icon is shown where a tray exists.
  void Setup(std::string_view osName);
  void RemoveIcon();

  // The menu's click handler: Help and About ask for those choices of the quick menu, Exit
  // asks the window to close; an identifier of no item does nothing.
  void MenuClick(int id);
  // What the desktop reports of the icon: a plain (left) click asks for the window.
  void Activated(QSystemTrayIcon::ActivationReason reason);

  QMenu* Menu() const { return menu_; }
  const QString& ToolTip() const { return toolTip_; }
  // Whether the welcome balloon was chosen at the set-up.
  bool BalloonChosen() const { return balloonChosen_; }
  // Whether an icon is in the tray now.
  bool IconShown() const;

 signals:
  void ExitChosen();
  void HelpChosen();
  void AboutChosen();
  void WindowWanted();

 private:
  QWidget* window_;
  QMenu* menu_;
  QSystemTrayIcon* icon_ = nullptr;
  QString toolTip_;
  bool balloonChosen_ = false;
};

}  // namespace tarnwick
