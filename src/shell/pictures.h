#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace tarnwick {

// The window's pictures, drawn in code so they stay crisp at any screen scale.
class Pictures {
 public:
  // The quick-menu item icons, 32 by 32, by item index (0 to 6).
  static QPixmap QuickMenuIcon(int index);
  // The marker behind the selected item, 52 by 41.
  static QPixmap SelectionMarker();
  // The product logo at the bottom of the strip, 40 by 40.
  static QPixmap Logo();
  // Panel pictures, 64 by 64.
  static QPixmap ConvertPicture();
  static QPixmap AboutPicture();
  static QPixmap DonatePicture();
  static QPixmap FeedbackPicture();
  static QIcon WindowIcon();

  // The strip's colours, shared with the window's style.
  static QColor StripTop();
  static QColor StripBottom();
  static QColor Accent();
};

}  // namespace tarnwick
