#pragma once

#include <QLabel>

namespace tarnwick {

// A label (text or picture) that reports clicks and pointer moves, like the window's link
// labels and image items. As a link it is underlined, shows the hand pointer and takes the
// keyboard focus; a focused one is clicked with Enter or Space as well.
class ClickableLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickableLabel(const QString& objectName, QWidget* parent = nullptr);

  void SetLinkStyle(bool link);
  bool IsLinkStyle() const { return link_; }

  // What a screen reader's "press" and the keyboard do: the same as a click.
  void Activate();

 signals:
  void Clicked();
  void PointerMoved();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool link_ = false;
  bool pressed_ = false;
};

}  // namespace tarnwick
