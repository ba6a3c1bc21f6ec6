#pragma once

#include <QLabel>

namespace tarnwick {

// A label (text or picture) that reports clicks and pointer moves, like the window's link
// labels and image items. As a link it is underlined and shows the hand pointer.
class ClickableLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickableLabel(const QString& objectName, QWidget* parent = nullptr);

  void SetLinkStyle(bool link);
  bool IsLinkStyle() const { return link_; }

 signals:
  void Clicked();
  void PointerMoved();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;

 private:
  bool link_ = false;
  bool pressed_ = false;
};

}  // namespace tarnwick
