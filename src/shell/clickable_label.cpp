#include "shell/clickable_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "shell/clickable_label_accessible.h"

namespace tarnwick {

ClickableLabel::ClickableLabel(const QString& objectName, QWidget* parent) : QLabel(parent) {
  setObjectName(objectName);
  setMouseTracking(true);
  ClickableLabelAccessible::Install();
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
  setFocusPolicy(link ? Qt::StrongFocus : Qt::NoFocus);
}

void ClickableLabel::Activate() {
  if (isEnabled()) emit Clicked();
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

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        Activate();
        return;
      }
      break;
    default:
      break;
  }
  QLabel::keyPressEvent(event);
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  // A label draws no focus of its own; without one the keyboard user cannot see where it is.
  QPainter p(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.rect = rect().adjusted(1, 1, -1, -1);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
}

}  // namespace tarnwick
