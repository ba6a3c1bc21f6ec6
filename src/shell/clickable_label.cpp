#include "shell/clickable_label.h"

#include <QMouseEvent>

namespace tarnwick {

ClickableLabel::ClickableLabel(const QString& objectName, QWidget* parent) : QLabel(parent) {
  setObjectName(objectName);
  setMouseTracking(true);
}

void ClickableLabel::SetLinkStyle(bool link) {
  link_ = link;
  QFont f = font();
  f.setUnderline(link);
  setFont(f);
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText,
                   link ? colours.color(QPalette::Link) : QPalette().color(QPalette::WindowText));
  setPalette(colours);
  setCursor(link ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = true;
  QLabel::mousePressEvent(event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->pos());
  pressed_ = false;
  QLabel::mouseReleaseEvent(event);
  if (click) emit Clicked();
}

void ClickableLabel::mouseMoveEvent(QMouseEvent* event) {
  QLabel::mouseMoveEvent(event);
  emit PointerMoved();
}

void ClickableLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  emit PointerMoved();
}

}  // namespace tarnwick
